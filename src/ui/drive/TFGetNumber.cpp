#include "ui/drive/TFGetNumber.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kelm {

TFGetNumber::TFGetNumber(QWidget* parent) : QDialog(parent) {
    auto* layout = new QVBoxLayout(this);
    ENumber = new QLineEdit;
    ENumber->setValidator(new QIntValidator(ENumber));
    QFont bold = ENumber->font();
    bold.setBold(true);
    ENumber->setFont(bold);
    EText = new QLineEdit;
    EText->hide();
    layout->addWidget(ENumber);
    layout->addWidget(EText);
    connect(ENumber, &QLineEdit::returnPressed, this, &QDialog::accept);
    connect(EText, &QLineEdit::returnPressed, this, &QDialog::accept);
}

int TFGetNumber::Value(bool* ok) const {
    return ENumber->text().trimmed().toInt(ok);
}

void TFGetNumber::SetValue(int value) {
    ENumber->setText(QString::number(value));
}

} // namespace kelm
