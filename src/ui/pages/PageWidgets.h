#pragma once

#include <QComboBox>
#include <QLabel>

namespace kelm {

// Named captions and lists of the dialog pages (tests and the layout find them by name).
inline QLabel* NewCaption(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

inline QComboBox* NewList(const QString& name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

} // namespace kelm
