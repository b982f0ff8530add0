#include "ui/diagnostic/DiagValueDialog.h"

#include "ui/seams/DialogRunner.h"
#include "ui/widgets/TPNumEdit.h"

#include <QFont>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace kelm {

DiagValueDialog::DiagValueDialog(int minValue, int maxValue, QWidget* parent)
    : QDialog(parent), min_(minValue), max_(maxValue) {
    setObjectName(QStringLiteral("TFGetNumber"));
    setWindowTitle(QStringLiteral("Value"));
    auto* layout = new QVBoxLayout(this);
    field_ = new TPNumEdit(this);
    field_->setObjectName(QStringLiteral("ENumber"));
    QFont font = field_->font();
    font.setBold(true);
    field_->setFont(font);
    field_->SetIsNegative(minValue < 0);
    field_->WrMin(minValue);
    field_->WrMax(maxValue);
    field_->WrValore(0);
    field_->ShowEmpty();
    field_->SetKeyHandler([this](TPNumEdit&, QKeyEvent& key) {
        if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
            return false;
        accept();
        return true;
    });
    layout->addWidget(field_);
    setMinimumWidth(140);
}

std::optional<int> DiagValueDialog::Accepted() const {
    const QString text = field_->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min_ || value > max_)
        return std::nullopt;
    return value;
}

std::optional<int> DiagValueDialog::Ask(int minValue, int maxValue, QWidget* over) {
    DiagValueDialog dialog(minValue, maxValue, over);
    if (over != nullptr) {
        dialog.adjustSize();
        const QPoint centre = over->mapToGlobal(over->rect().center());
        dialog.move(centre - dialog.rect().center());
    }
    if (Dialogs().Exec(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Accepted();
}

} // namespace kelm
