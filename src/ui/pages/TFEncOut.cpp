#include "ui/pages/TFEncOut.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "ui/pages/PageWidgets.h"

#include <QGridLayout>

namespace kelm {

TFEncOut::TFEncOut(TDriver& driver, QWidget* parent)
    : DialogPage(driver, QStringLiteral("TFEncOut"), QStringLiteral("  Encoder Out"), parent),
      a_(EncoderOutAddressTable(driver.CurrentKind())) {
    cDiv_ = NewList(QStringLiteral("CDiv"), this);
    cDiv_->setMinimumWidth(100);
    Grid()->addWidget(NewCaption(QStringLiteral("LDiv"), QStringLiteral("Pulses per Turn"), this),
                      0, 0);
    Grid()->addWidget(cDiv_, 0, 1);
    connect(cDiv_, &QComboBox::activated, this, [this] { MarkList(cDiv_, true); });
    LoadControls();
}

void TFEncOut::Rebuild() {
    Reload();
}

// The entries follow the feedback settings, so they are built again with every load.
void TFEncOut::LoadControls() {
    ParamTable& table = Driver().ActiveTable();
    const auto value = [&table](int address) {
        const ParamEntry* entry = table.FindByAddress(static_cast<std::uint16_t>(address));
        return entry ? static_cast<int>(entry->Value) : 0;
    };
    ParamEntry* divider = table.FindByAddress(static_cast<std::uint16_t>(a_.Divider));
    const double lines =
        FeedbackLineCount(value(a_.Feedback), value(a_.ResolverPoles), value(a_.Resolution));
    cDiv_->clear();
    cDiv_->addItems(DividerEntries(lines, divider ? divider->MaxValue : 0));
    if (divider == nullptr)
        return;
    divider->Value = static_cast<std::int16_t>(
        NormalizeDivider(divider->Value, divider->DefaultValue, cDiv_->count()));
    cDiv_->setCurrentIndex(divider->Value - 1);
    RecolourControls();
}

void TFEncOut::StoreControls() {
    ParamEntry* divider =
        Driver().ActiveTable().FindByAddress(static_cast<std::uint16_t>(a_.Divider));
    if (divider != nullptr && cDiv_->currentIndex() >= 0)
        divider->Value = static_cast<std::int16_t>(cDiv_->currentIndex() + 1);
}

void TFEncOut::RecolourControls() {
    MarkList(cDiv_, RegisterDiffers(a_.Divider));
}

} // namespace kelm
