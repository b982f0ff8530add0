#include "ui/drive/SelectDrive.h"

#include "core/drive/LinkIdentification.h"
#include "core/drive/TDriver.h"
#include "core/drive/UnitSnapshot.h"
#include "core/drive/procedures/OwedDisable.h"
#include "core/link/ModbusMaster.h"
#include "core/params/LinkBaud.h"
#include "core/seams/Messages.h"
#include "core/settings/SettingsStore.h"
#include "ui/drive/TFConnectD.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"
#include "ui/tarnlink/TFTarnSel.h"

namespace kelm {

namespace {

LinkPortScan g_scan;

std::int16_t DefaultOf(const ParamTable& table, std::uint16_t address) {
    const ParamEntry* entry = table.FindByAddress(address);
    return entry ? entry->DefaultValue : 0;
}

std::uint32_t LinkBaud(TDriver& driver) {
    return LinkBaudRate(driver.KindTable(DeviceKind::Power));
}

// Says once why the port the user asked for could not be opened (the tool stays off line).
void ReportOpenFailure(const ModbusMaster& master) {
    ShowError(QStringLiteral("The port could not be opened:\r") + master.OpenError());
}

// The port stays open only when it is open on that number in the same frame variant.
bool OpenOn(const ModbusMaster& master, int port, bool linkMode) {
    return master.IsPortOpen() && master.GetPort() == port && master.IsLinkMode() == linkMode;
}

void ConnectStandard(ShellHost& shell, int number) {
    TDriver& driver = shell.Driver();
    ModbusMaster& master = shell.Master();
    const SettingsStore& settings = shell.Settings();
    if (driver.CurrentKind() != DeviceKind::Std) {
        master.ClosePort();
        driver.SelectDeviceKind(DeviceKind::Std, false);
    }
    master.SelectUnit(static_cast<std::uint8_t>(number));
    if (!OpenOn(master, settings.ComPort, false) &&
        !master.OpenPort(settings.ComPort, static_cast<std::uint32_t>(settings.BaudRate), false,
                         settings.Parity))
        ReportOpenFailure(master);
}

// Identifies the unit on a link port: the Power unit of a Tarn link, or a Tarn Orca 230.
// false when the link overview was cancelled (nothing is read then); inUse is the unit the
// program worked with before, marked in the overview.
bool ConnectLink(ShellHost& shell, LinkPortRecord& record, const UnitSnapshot& inUse) {
    TDriver& driver = shell.Driver();
    ModbusMaster& master = shell.Master();
    if (driver.CurrentKind() != DeviceKind::Power) {
        master.ClosePort();
        driver.SelectDeviceKind(DeviceKind::Power, false);
    }
    if (!OpenOn(master, record.ComNumber, true) &&
        !master.OpenPort(record.ComNumber, LinkBaud(driver), true, 0))
        ReportOpenFailure(master);
    if (!master.IsPortOpen()) {
        master.SelectUnit(static_cast<std::uint8_t>(
            DefaultOf(driver.ActiveTable(), TheLinkRegisters().BaseAddress)));
        return true;
    }
    const LinkIdentity link = IdentifyLink(driver);
    if (link.Orca) {
        record.UnitKind = 3;
        driver.SelectDeviceKind(DeviceKind::Orca230, false);
        master.SelectUnit(LinkIdentity::OrcaAddress);
        return true;
    }
    // Otherwise the link overview chooses the unit (Power or Drive).
    std::optional<UnitInUse> unit;
    if (inUse.WasOnline())
        unit = inUse.Unit();
    return !master.IsPortOpen() || ShowLinkOverview(shell, 0, unit);
}

} // namespace

LinkPortScan InstallLinkPortScan(LinkPortScan scan) {
    LinkPortScan previous = std::move(g_scan);
    g_scan = std::move(scan);
    return previous;
}

LinkPortScan CurrentLinkPortScan(ShellHost& shell) {
    if (g_scan)
        return g_scan;
    SettingsStore* settings = &shell.Settings();
    return [settings] {
        return DiscoverLinkPorts(QStringLiteral("/sys"), PortNames([settings](int com) {
                                     return settings->PortPath(com);
                                 }));
    };
}

void SelectDrive(ShellHost& shell) {
    CloseOscilloscope(shell); // it recorded from the unit in use, which may change now
    TDriver& driver = shell.Driver();
    // What was asked of the unit in use before Select Drive stays unwritten, whatever the
    // selection ends in: the poll keeps running while the dialog is open.
    driver.Connection().On(SessionEvent::SelectionStarted);
    TFSelectDriver dialog(driver, CurrentLinkPortScan(shell), shell.Window());
    const std::optional<std::uint8_t> shownId = shell.ShownAddress();
    if (shownId && driver.CurrentKind() == DeviceKind::Std)
        dialog.SetDeviceNumber(*shownId);

    int result = TFSelectDriver::Cancel;
    const int preselected = shell.LinkSelectPort();
    shell.SetLinkSelectPort(0);
    if (preselected != 0 && dialog.PreselectPort(preselected))
        result = TFSelectDriver::Link;
    else
        result = Dialogs().Exec(dialog);
    if (result == TFSelectDriver::Cancel)
        return;

    driver.WaitIdle();
    switch (result) {
    case TFSelectDriver::Standard:
        ConnectStandard(shell, dialog.DeviceNumber());
        break;
    case TFSelectDriver::Link: {
        const UnitSnapshot inUse = UnitSnapshot::Take(driver);
        if (!ConnectLink(shell, driver.LinkPorts.at(static_cast<std::size_t>(dialog.LinkIndex())),
                         inUse)) {
            // Overview cancelled: no read; the unit in use comes back with its table, layout
            // and poll. Without one the program stays off line and polls nothing.
            inUse.Restore(driver);
            shell.ConfigureForDevice();
            driver.SetMode(WorkerMode::StatusPoll);
            return;
        }
        break;
    }
    case TFSelectDriver::OffLine:
        if (dialog.OffLineKind() != driver.CurrentKind())
            driver.SelectDeviceKind(dialog.OffLineKind(), false);
        shell.Master().ClosePort();
        driver.Connection().On(SessionEvent::KindChanged);
        break;
    default:
        break;
    }
    // A disable request a procedure owes this unit goes first, before the table is read.
    driver.SetOnline(shell.Master().IsLinkReady());
    SettleOwedDisable(driver);
    shell.SetFileDialogsForDevice();
    shell.ReloadFromDrive();
}

void SelectLinkDirect(ShellHost& shell) {
    TDriver& driver = shell.Driver();
    ModbusMaster& master = shell.Master();
    driver.WaitIdle();
    if (!driver.Online() || !master.IsLinkReady()) {
        const std::uint8_t port =
            master.GetPort() != 0 ? master.GetPort() : shell.Settings().ComPort;
        if (!master.OpenPort(port, LinkBaud(driver), true, 0))
            ReportOpenFailure(master);
        driver.SetOnline(master.IsLinkReady());
    }
    if (master.IsPortOpen())
        shell.SetLinkSelectPort(master.GetPort());
    SelectDrive(shell);
}

} // namespace kelm
