#include "ui/tarnlink/TFTarnSel.h"

#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/Messages.h"
#include "ui/drive/TFConnectD.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"
#include "ui/tarnlink/UnitPanel.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {
namespace {

// How many unit panels of `width` fit side by side on the screen, beside the dialog's
// margins (`margins`), its frame and a scroll bar should it scroll downwards.
int UnitColumns(const QWidget& dialog, int width, int margins) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    constexpr int frame = 16; // the window frame's borders, generously
    const int room = screen == nullptr
                         ? 0
                         : screen->availableGeometry().width() - margins - frame -
                               dialog.style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return std::max(1, room / std::max(1, width));
}

} // namespace

TFTarnSel::TFTarnSel(ShellHost& shell, std::optional<UnitInUse> inUse, QWidget* parent)
    : QDialog(parent != nullptr ? parent : shell.Window()), shell_(shell),
      inUse_(std::move(inUse)) {
    setObjectName(QStringLiteral("TFTarnSel"));
    setWindowTitle(QStringLiteral("Select Tarn Device"));
    // Cancel unless a unit is chosen.
    setResult(QDialog::Rejected);
    TDriver& driver = shell.Driver();
    // The scan addresses every unit: whatever was asked of the unit in use is void now.
    driver.Connection().On(SessionEvent::OverviewOpened);

    // The progress window: one step per unit, the Power unit included.
    const LinkLayout layout = LinkLayoutOf(driver.KindTable(DeviceKind::Power));
    QPointer<TFConnectD> progress = TFConnectD::ShowScanning(driver, shell.Window());
    progressMaximum_ = layout.DriveUnits + 1;
    progress->SetMaximum(progressMaximum_);

    // The link object; the address at the start is the link's Power unit.
    scan_ = std::make_unique<LinkScan>(driver);
    addressAtStart_ = shell.Master().UnitAddress();
    auto* outer = new QVBoxLayout(this);
    auto* units = new QGridLayout;
    outer->addLayout(units);
    refresh_ = new QPushButton(QStringLiteral("Refresh"), this);
    refresh_->setObjectName(QStringLiteral("BRefresh"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(refresh_);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BCancel"));
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(refresh_, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < UnitCount(); ++i)
            UpdateUnitPanel(i);
    });

    // The units, each with its panel.
    scan_->Build([&](int index) {
        const LinkUnit& unit = scan_->Units()[static_cast<std::size_t>(index)];
        auto* panel = new UnitPanel(unit.IsPower, unit.Address, this);
        panel->hide(); // until it has its place in the grid
        panels_.push_back(panel);
        panel->SetInUse(InUse(unit));
        connect(panel->SelectButton, &QPushButton::clicked, this,
                [this, index] { SelectUnit(index); });
        const std::uint8_t address = unit.Address;
        connect(panel->HistoryButton, &QPushButton::clicked, this, [address] {
            ShowInfo(QStringLiteral("Hystory su Tarn ID = ") + QString::number(address));
        });
        UpdateUnitPanel(index);
        if (progress) {
            progress->Advance();
            progressPosition_ = progress->Position();
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });

    // The panels wrap into rows as wide as the screen holds the widest of them.
    int widest = 0;
    for (const UnitPanel* panel : panels_)
        widest = std::max(widest, panel->sizeHint().width());
    const QMargins margins = outer->contentsMargins();
    const int columns = UnitColumns(*this, widest + std::max(0, units->horizontalSpacing()),
                                    margins.left() + margins.right());
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        const int index = static_cast<int>(i);
        units->addWidget(panels_[i], index / columns, index % columns);
        panels_[i]->show();
    }
    // Size to the panels, drop the progress window, start the scan.
    adjustSize();
    if (progress)
        progress->close();
    connect(&autoTimer_, &QTimer::timeout, this, &TFTarnSel::AutoTimerFired);
    autoTimer_.setSingleShot(true);
    autoTimer_.setInterval(AutoSelectDelayMs);
    scan_->SetUnitUpdated([this](int index) { UpdateUnitPanel(index); });
    scan_->Install();
    driver.SetMode(WorkerMode::LinkPoll);
}

TFTarnSel::~TFTarnSel() {
    if (scan_) {
        shell_.Driver().WaitIdle();
        scan_.reset();
    }
}

bool TFTarnSel::InUse(const LinkUnit& unit) const {
    // The unit the program works with: on this link port, at this address, of this kind.
    if (!inUse_ || !inUse_->Link || inUse_->Port != shell_.Master().GetPort())
        return false;
    const DeviceKind kind = inUse_->Kind;
    const bool linkKind = unit.IsPower ? kind == DeviceKind::Power : kind == DeviceKind::Drive;
    return linkKind && unit.Address == inUse_->Address;
}

void TFTarnSel::UpdateUnitPanel(int index) {
    if (!scan_ || index < 0 || index >= UnitCount())
        return;
    const LinkUnit& unit = scan_->Units()[static_cast<std::size_t>(index)];
    Panel(index).Apply(ComputeUnitPanel(unit, QLocale()), unit.Variant);
}

void TFTarnSel::SelectUnit(int index) {
    if (closing_ || index < 0 || index >= UnitCount())
        return;
    const int tag = Panel(index).SelectTag();
    if (tag == 0) {
        ShowError(QStringLiteral("This Tarn Not Responding!"));
        return;
    }
    TDriver& driver = shell_.Driver();
    ModbusMaster& master = shell_.Master();
    driver.WaitIdle();
    master.SelectUnit(static_cast<std::uint8_t>(tag));
    const bool power = tag == scan_->Units().front().Address;
    const DeviceKind kind = power ? DeviceKind::Power : DeviceKind::Drive;
    if (driver.CurrentKind() != kind)
        driver.SelectDeviceKind(kind, false);
    driver.Connection().On(SessionEvent::UnitChosen);
    accept();
}

void TFTarnSel::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (autoSelect_ != 0)
        autoTimer_.start();
}

void TFTarnSel::AutoTimerFired() {
    autoTimer_.stop();
    const int k = autoSelect_;
    if (k >= 1 && k <= UnitCount())
        Panel(k - 1).SelectButton->click();
}

void TFTarnSel::done(int result) {
    if (closing_)
        return;
    closing_ = true;
    autoTimer_.stop();
    // A chosen unit has stopped the scan already; Cancel stops it here. The caller gives
    // the line back to the unit that was in use (the scan leaves the last unit addressed).
    if (result != QDialog::Accepted) {
        shell_.Driver().WaitIdle();
        shell_.Driver().Connection().On(SessionEvent::OverviewCancelled);
    }
    scan_.reset();
    QDialog::done(result);
}

bool ShowLinkOverview(ShellHost& shell, int autoSelect, std::optional<UnitInUse> inUse) {
    TFTarnSel dialog(shell, std::move(inUse));
    dialog.SetAutoSelect(autoSelect);
    return Dialogs().Exec(dialog) == QDialog::Accepted;
}

} // namespace kelm
