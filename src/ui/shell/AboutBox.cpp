#include "ui/shell/AboutBox.h"

#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace kelm {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFAbout"));
    setWindowTitle(QStringLiteral(" KELM - Kelm Servo Drive Software ") +
                   QString::fromLatin1(Version));
    auto* layout = new QVBoxLayout(this);
    const auto add = [&](const QString& text, int pointSize, bool bold) {
        auto* label = new QLabel(text, this);
        QFont font = label->font();
        font.setPointSize(pointSize);
        font.setBold(bold);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
        // Clicks go through to the box.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        layout->addWidget(label);
    };
    add(QStringLiteral("KELM"), 28, true);
    add(QStringLiteral("Servo Drive Software"), 14, false);
    add(QStringLiteral("Version ") + QString::fromLatin1(Version), 11, false);
    add(QStringLiteral("Commissioning and tuning of Kelm and Tarn servo drives"), 10, false);
    add(QStringLiteral("(click to close)"), 8, false);
    layout->setContentsMargins(30, 20, 30, 20);
    setFixedSize(sizeHint());
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    event->accept();
    accept();
}

} // namespace kelm
