#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/status/StatusPollHost.h"
#include "core/drive/status/StatusView.h"
#include "core/rules/StatusPanelLayout.h"

#include <QWidget>
#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kelm {

class StatusPageHost;

// The content of the main window's right-hand status panel: the alarm button, the drive
// and power status groups, the two analog-output selectors with their user-changed marks,
// the Enable/Disable group with the drive-state marker and the LCD copy. It is also the
// user-interface side of the status poll (StatusPollHost).
class StatusPanelWidget final : public QWidget, public StatusPollHost {
    Q_OBJECT
public:
    using ViewSource = std::function<StatusView()>;
    using RefreshAction = std::function<void()>;
    // Who asks, and when: the origin of a request made now (none set: asked at write time).
    using OriginSource = std::function<WriteOrigin(const QString& action)>;

    explicit StatusPanelWidget(QWidget* parent = nullptr);

    // Where StatusRefresh takes its values (normally the driver's active table).
    void SetViewSource(ViewSource source) { source_ = std::move(source); }
    // The pages and windows the poll reaches (none when not set).
    void SetHost(StatusPageHost* host) { host_ = host; }
    // What the poll's StatusRefresh runs (the main window's StatusRefresh); when not set,
    // the panel paints itself from the view source.
    void SetRefreshAction(RefreshAction action) { refresh_ = std::move(action); }
    void SetOriginSource(OriginSource source) { origin_ = std::move(source); }

    // The main window's layout decisions for a kind and on-line state.
    void ApplyLayout(const StatusPanelLayout& layout);
    // All values empty, selector marks cleared, selectors disabled without selection,
    // drive-state marker hidden.
    void ClearStatusDisplay();
    // Alarm button look and caption: "&Present" with the Cancel look when there is an
    // alarm and the button is enabled, otherwise "&Empty" with the Yes look.
    void ShowAlarmState(bool alarm);
    // Paints the values of one poll; returns the alarm state.
    bool ShowStatus(const StatusView& view);
    // Paints from the view source.
    bool Refresh();

    // The Enable/Disable group, for the Drive menu's items.
    void PressEnable();
    void PressDisable();
    bool RequestButtonsEnabled() const;
    bool DriveGroupVisible() const;

    // StatusPollHost
    bool SelectorChanged(int selector) const override { return selectorChanged_[selector]; }
    int SelectorIndex(int selector) const override;
    void ClearSelectorChanged(int selector) override { selectorChanged_[selector] = false; }
    WriteOrigin SelectorOrigin(int selector) const override {
        return selectorOrigins_[static_cast<std::size_t>(selector)];
    }
    WriteOrigin RequestOrigin(DriveRequest request) const override {
        return requestOrigins_[static_cast<std::size_t>(request)];
    }
    bool RequestPending(DriveRequest request) const override;
    void SetRequestWritten(DriveRequest request, bool written) override;
    void ReleaseRequest(DriveRequest request) override;
    bool DigitalPageOpen() const override;
    void SetDigitalEnableSwitch(bool on) override;
    void DigitalRefresh() override;
    bool AnalogPageOpen() const override;
    void AnalogRefresh() override;
    bool ScopeWindowExists() const override;
    void ScopeStatusStep() override;
    void ScopeCaptureComplete() override;
    void StatusRefresh() override;

    // Controls, named as the rest of the program speaks of them (tests use them too).
    QPushButton* BAllarm = nullptr;
    QGroupBox* GAlarmList = nullptr;
    QGroupBox* GDriveStatus = nullptr;
    QGroupBox* GPowerStatus = nullptr;
    std::array<QGroupBox*, 2> GAnalog{};
    std::array<QComboBox*, 2> COut{};
    std::array<QLabel*, 2> LOutValue{};
    QGroupBox* PDive = nullptr;
    QPushButton* BDEn = nullptr;
    QPushButton* BDDis = nullptr;
    QLabel* SDriveState = nullptr;
    QGroupBox* GLcd = nullptr;
    std::array<QLabel*, 2> LLcd{};
    // Drive status rows: value labels.
    QLabel *LSpeed = nullptr, *LAngle = nullptr, *LCurrent = nullptr, *LBus = nullptr,
           *LTemperature = nullptr, *LPosition = nullptr, *LIqRef = nullptr, *LI2tRegen = nullptr;
    // Power status rows.
    QLabel *LPBus = nullptr, *LPBackup = nullptr, *LPCurrent = nullptr, *LPI2t = nullptr,
           *LPI2tRegen = nullptr, *LPTemperature = nullptr;

    // Which button the drive-state marker stands beside (true: Enable).
    bool MarkerBesideEnable() const { return markerBesideEnable_; }
    std::int32_t LastPosition() const { return lastPosition_; }

signals:
    // BAllarm was clicked: the main window brings up or creates the alarm window.
    void AlarmButtonClicked();

private:
    QGroupBox* BuildDriveStatus();
    QGroupBox* BuildPowerStatus();
    QGroupBox* BuildAnalog(int selector);
    QGroupBox* BuildDriveGroup();
    QGroupBox* BuildLcd();
    void SetRowVisible(QLabel* value, bool visible);
    void FillSelector(int selector, const QStringList& items);
    void FollowDrive(int selector, int registerValue);
    void PlaceStateMarker(bool enabled);
    void RequestClicked(DriveRequest request);
    QPushButton* RequestButton(DriveRequest request) const;

    StatusPageHost* host_ = nullptr;
    ViewSource source_;
    RefreshAction refresh_;
    OriginSource origin_;
    std::array<WriteOrigin, 2> selectorOrigins_{};
    std::array<WriteOrigin, 2> requestOrigins_{};
    std::array<bool, 2> selectorChanged_{false, false};
    std::array<bool, 2> requestWritten_{false, false};
    bool markerBesideEnable_ = false;
    std::int32_t lastPosition_ = 0;
};

} // namespace kelm
