#include "ui/pages/TFEncOut.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"
#include "ui/pages/PageWidgets.h"

#include <QGridLayout>
#include <algorithm>

namespace kelm {

TFEncOut::TFEncOut(TDriver& driver, QWidget* parent)
    : DialogPage(driver, QStringLiteral("TFEncOut"), QStringLiteral("  Encoder Out"), parent),
      a_(EncoderOutAddressTable(driver.CurrentKind())) {
    cDiv_ = NewList(QStringLiteral("CDiv"), this);
    cDiv_->setMinimumWidth(100);
    Grid()->addWidget(NewCaption(QStringLiteral("LDiv"), QStringLiteral("Pulses per Turn"), this),
                      0, 0);
    Grid()->addWidget(cDiv_, 0, 1);
    connect(cDiv_, &QComboBox::activated, this, [this](int index) {
        EditWord(a_.Divider, index + 1);
        RecolourControls();
    });
    LoadControls();
    // The entries follow the feedback settings another page writes.
    connect(&driver.Notice(), &TableNotice::TableChanged, this,
            [this](const std::vector<std::uint16_t>& registers) {
                for (const int address : {a_.Feedback, a_.Resolution, a_.ResolverPoles})
                    if (std::find(registers.begin(), registers.end(), address) != registers.end()) {
                        Rebuild();
                        return;
                    }
            });
}

void TFEncOut::Rebuild() {
    Reload();
}

// The entries follow the feedback settings, so they are built again with every load. A
// stored divider the entries cannot show is corrected as this page's edit (sent with Apply,
// dropped by Cancel).
void TFEncOut::LoadControls() {
    const ParamEntry* divider =
        Driver().ActiveTable().FindByAddress(static_cast<std::uint16_t>(a_.Divider));
    const double lines =
        FeedbackLineCount(Shown(a_.Feedback), Shown(a_.ResolverPoles), Shown(a_.Resolution));
    cDiv_->clear();
    cDiv_->addItems(DividerEntries(lines, divider ? divider->MaxValue : 0));
    if (divider == nullptr)
        return;
    const int stored = Shown(a_.Divider);
    const int shown = NormalizeDivider(stored, divider->DefaultValue, cDiv_->count());
    if (shown != stored)
        EditWord(a_.Divider, shown);
    cDiv_->setCurrentIndex(shown - 1);
    RecolourControls();
}

void TFEncOut::RecolourControls() {
    MarkList(cDiv_, RegisterMarked(a_.Divider));
}

} // namespace kelm
