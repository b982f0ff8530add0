#include "ui/diagnostic/DiagValueDialog.h"

#include "core/seams/Messages.h"
#include "ui/seams/DialogRunner.h"
#include "ui/widgets/TPNumEdit.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

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
    // The field takes any 16-bit number, so that a number beyond the row's limits reaches
    // the check on OK instead of being silently moved to the nearest limit.
    field_->WrMin(minValue < 0 ? -32768 : 0);
    field_->WrMax(std::max(maxValue, 32767));
    field_->WrValore(0);
    field_->ShowEmpty();
    field_->SetKeyHandler([this](TPNumEdit&, QKeyEvent& key) {
        if (key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter)
            return false;
        accept();
        return true;
    });
    layout->addWidget(field_);
    limits_ = new QLabel(QStringLiteral("%1 ... %2").arg(minValue).arg(maxValue), this);
    limits_->setObjectName(QStringLiteral("LLimits"));
    layout->addWidget(limits_);
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Horizontal, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &DiagValueDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(140);
}

void DiagValueDialog::accept() {
    if (!field_->text().trimmed().isEmpty() && !Accepted()) {
        ShowError(QStringLiteral("The value must lie between %1 and %2.").arg(min_).arg(max_));
        field_->setFocus();
        field_->selectAll();
        return; // stays open
    }
    QDialog::accept();
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
