#include "ui/pages/DialogPage.h"
#include "ui/pages/EditWrite.h"
#include "ui/widgets/ChangeMark.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "core/seams/Messages.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/TPNumEdit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelm {

namespace {

QPushButton* NewButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

DialogPage::DialogPage(TDriver& driver, const QString& name, const QString& caption,
                       QWidget* parent)
    : QWidget(parent), driver_(driver), kind_(driver.CurrentKind()), fields_(driver.ActiveTable()) {
    setObjectName(name);
    setWindowTitle(caption);
    auto* layout = new QVBoxLayout(this);
    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("PBody"));
    grid_ = new QGridLayout(body_);
    grid_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(body_);
    layout->addStretch();
    buttons_ = new QHBoxLayout;
    buttons_->addStretch();
    bOk_ = NewButton(QStringLiteral("BOk"), QStringLiteral("&Ok"), this);
    bCancel_ = NewButton(QStringLiteral("BCancel"), QStringLiteral("&Cancel"), this);
    bApply_ = NewButton(QStringLiteral("BApply"), QStringLiteral("&Apply"), this);
    buttons_->addWidget(bOk_);
    buttons_->addWidget(bCancel_);
    buttons_->addWidget(bApply_);
    layout->addLayout(buttons_);
    // Fields and lists are shown and hidden by the page's rules: keep the window at least
    // as large as what it shows.
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    connect(bOk_, &QPushButton::clicked, this, &DialogPage::OkClicked);
    connect(bCancel_, &QPushButton::clicked, this, &DialogPage::CancelClicked);
    connect(bApply_, &QPushButton::clicked, this, [this] { Apply(); });
}

DialogPage::~DialogPage() {
    // Fields may still lose focus while they are destroyed; the page is gone by then.
    for (TPNumEdit* field : findChildren<TPNumEdit*>()) {
        field->SetExitHandler({});
        field->SetKeyHandler({});
        field->SetChangeHandler({});
    }
}

TPNumEdit* DialogPage::AddField(const QString& name, int tag, int decimals, bool wide) {
    auto* field = new TPNumEdit(this);
    field->setObjectName(name);
    field->WrDec(decimals);
    field->SetTag(tag);
    field->setMaximumWidth(wide ? 180 : 90);
    field->setMinimumWidth(wide ? 180 : 0); // a 32-bit field is drawn twice as wide
    fields_.Add(field, wide);
    return field;
}

int DialogPage::AddFieldRows(std::initializer_list<FieldRow> rows, int first) {
    int row = first;
    for (const FieldRow& r : rows) {
        const QString name = QString::fromLatin1(r.Field);
        TPNumEdit* field = AddField(name, r.Tag, r.Decimals, r.Wide);
        grid_->addWidget(
            NewCaption(QStringLiteral("L") + name.mid(1), QString::fromLatin1(r.Caption), this),
            row, 0);
        grid_->addWidget(field, row, 1, 1, r.Wide ? 2 : 1);
        grid_->addWidget(
            NewCaption(QStringLiteral("U") + name.mid(1), QString::fromLatin1(r.Unit), this), row,
            r.Wide ? 3 : 2);
        ++row;
    }
    return row;
}

void DialogPage::Finish(Guided guided) {
    guided_ = std::move(guided);
    fields_.Bind();
    RecolourAll();
    SetOnline(driver_.Online());
    if (guided_.Active) {
        bApply_->hide();
        buttons_->removeWidget(bOk_);
        buttons_->addWidget(bOk_); // Ok takes Apply's place at the end of the row
    }
}

void DialogPage::SetOnline(bool online) {
    online_ = online;
    body_->setEnabled(online_);
    bApply_->setEnabled(online_ && allowed_);
}

bool DialogPage::HasEdits() const {
    if (!edits_.Empty())
        return true;
    for (const TPNumEdit* field : fields_.Fields())
        if (field->Edited())
            return true;
    return false;
}

void DialogPage::SetApplyAllowed(bool allowed) {
    allowed_ = allowed;
    bApply_->setEnabled(online_ && allowed_);
    bOk_->setEnabled(allowed_);
}

int DialogPage::Shown(int address) const {
    const auto at = static_cast<std::uint16_t>(address);
    const ParamEntry* entry = driver_.ActiveTable().FindByAddress(at);
    return entry != nullptr ? edits_.Shown(at, entry->Value) : 0;
}

void DialogPage::EditWord(int address, int value) {
    edits_.SetWord(static_cast<std::uint16_t>(address), static_cast<std::int16_t>(value));
}

void DialogPage::EditBits(int address, int mask, bool set) {
    edits_.SetBits(static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(mask), set);
}

bool DialogPage::RegisterMarked(int address) const {
    const auto at = static_cast<std::uint16_t>(address);
    const ParamEntry* entry = driver_.ActiveTable().FindByAddress(at);
    return edits_.Has(at) || (entry != nullptr && entry->Value != entry->DriveValue);
}

void DialogPage::MarkList(QComboBox* list, bool marked) {
    MarkChanged(list, marked);
}

void DialogPage::RecolourAll() {
    fields_.Recolour();
    RecolourControls();
}

bool DialogPage::Apply() {
    return ApplyAs(driver_.Ask(windowTitle().trimmed() + QStringLiteral(" Apply")));
}

bool DialogPage::ApplyAs(const WriteOrigin& origin) {
    if (!allowed_ || !driver_.Online() || !driver_.StillCurrent(origin))
        return false;
    fields_.Collect(edits_);
    if (edits_.Empty()) {
        RecolourAll();
        return true;
    }
    WriteGate::Scope scope(driver_.Gate(), origin);
    // The exchanges process window events while they wait for the drive; the page may go.
    const QPointer<DialogPage> self(this);
    EditWriteResult result = WriteEdits(driver_, edits_);
    if (!self)
        return false;
    edits_ = std::move(result.Left);
    fields_.Settle(edits_);
    RecolourAll();
    AfterApply(result.Written);
    driver_.Notice().Applied(result.Written); // the other windows follow what reached the drive
    return result.Online && edits_.Empty();
}

void DialogPage::Reload() {
    QWidget* focused = focusWidget();
    edits_.Clear();
    fields_.Reload();
    LoadControls();
    RecolourAll();
    if (focused != nullptr)
        focused->setFocus();
}

void DialogPage::OkClicked() {
    if (!allowed_)
        return;
    if (!driver_.Online()) {
        ShowInfo(QStringLiteral("Off Line: nothing was written."));
        return; // the edits stay on the page
    }
    const QPointer<DialogPage> self(this);
    const bool written = Apply();
    if (!self || !written)
        return; // what did not reach the drive stays on the page (the failure was reported)
    if (guided_.Active) {
        handedOver_ = true;
        if (guided_.Ok)
            guided_.Ok(true);
    }
    close();
}

void DialogPage::CancelClicked() {
    Reload();
    close();
}

void DialogPage::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted())
        return;
    emit Closed();
    if (guided_.Active && !handedOver_) {
        handedOver_ = true; // end only once
        if (guided_.End)
            guided_.End();
    }
    // The frame goes with the page.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
}

} // namespace kelm
