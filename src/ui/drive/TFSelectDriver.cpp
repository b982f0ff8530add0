#include "ui/drive/TFSelectDriver.h"

#include "core/drive/TDriver.h"
#include "ui/drive/DialogPlacement.h"
#include "ui/drive/TFOffLineSel.h"
#include "ui/seams/DialogRunner.h"
#include "ui/widgets/GrowToContent.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace kelm {

TFSelectDriver::TFSelectDriver(TDriver& driver, LinkPortScan scan, QWidget* centreOn)
    : QDialog(centreOn), driver_(driver), scan_(std::move(scan)), centreOn_(centreOn),
      offLineKind_(driver.CurrentKind()) {
    setWindowTitle(QStringLiteral(" Select Driver "));
    auto* layout = new QGridLayout(this);

    auto* tarn = new QGroupBox(QStringLiteral(" TARN "));
    auto* tarnLayout = new QGridLayout(tarn);
    tarnLayout->addWidget(new QLabel(QStringLiteral("Port")), 0, 0);
    CPort = new QComboBox;
    // Refilled while the dialog is open: the list grows with its longest entry.
    CPort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    tarnLayout->addWidget(CPort, 0, 1);
    BLinkOk = new QPushButton(QStringLiteral("&Ok"));
    tarnLayout->addWidget(BLinkOk, 1, 0, 1, 2);
    layout->addWidget(tarn, 0, 0);

    auto* standard = new QGroupBox(QStringLiteral(" Standard "));
    auto* stdLayout = new QGridLayout(standard);
    stdLayout->addWidget(new QLabel(QStringLiteral("Insert ID")), 0, 0);
    EId = new QLineEdit(QStringLiteral("1"));
    EId->setValidator(new QIntValidator(0, 255, EId));
    EId->setMaxLength(3);
    stdLayout->addWidget(EId, 0, 1);
    // Each button its own accelerator: Alt+O the link group's, Alt+K the number's, Alt+F
    // off-line work.
    BStdOk = new QPushButton(QStringLiteral("O&k"));
    stdLayout->addWidget(BStdOk, 1, 0, 1, 2);
    layout->addWidget(standard, 0, 1);

    BOffLine = new QPushButton(QStringLiteral("O&ff Line"));
    layout->addWidget(BOffLine, 1, 0, 1, 2);

    // Enter presses the focused button; elsewhere the default one (see FillFromPorts).
    for (QPushButton* button : {BLinkOk, BStdOk, BOffLine})
        button->setAutoDefault(true);
    connect(BLinkOk, &QPushButton::clicked, this, [this] { done(Link); });
    connect(BStdOk, &QPushButton::clicked, this, [this] { done(Standard); });
    connect(EId, &QLineEdit::returnPressed, BStdOk, &QPushButton::click);
    connect(BOffLine, &QPushButton::clicked, this, &TFSelectDriver::OffLineClicked);
    rescan_.setInterval(RescanMs);
    connect(&rescan_, &QTimer::timeout, this, &TFSelectDriver::RescanTick);
    // An adapter plugged in or pulled out is looked for at once, while the dialog waits.
    connect(&portWatch_, &SerialPortWatch::Changed, this, [this] {
        if (rescan_.isActive())
            RescanTick();
    });

    Discover();
}

void TFSelectDriver::Discover() {
    driver_.LinkPorts.clear();
    if (!scan_)
        return;
    for (const DiscoveredPort& port : scan_())
        driver_.LinkPorts.push_back(LinkPortRecord{port.ComNumber, port.UnitKind});
}

int TFSelectDriver::DeviceNumber() const {
    bool ok = false;
    const int number = EId->text().trimmed().toInt(&ok);
    return ok && number >= 0 && number <= 255 ? number : -1;
}

void TFSelectDriver::SetDeviceNumber(int number) {
    EId->setText(QString::number(number));
}

bool TFSelectDriver::PreselectPort(int comNumber) {
    for (std::size_t i = 0; i < driver_.LinkPorts.size(); ++i) {
        if (driver_.LinkPorts[i].ComNumber == comNumber) {
            linkIndex_ = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

void TFSelectDriver::FillFromPorts() {
    CPort->clear();
    shownPorts_.clear();
    for (const LinkPortRecord& port : driver_.LinkPorts) {
        CPort->addItem(QStringLiteral("Tarn Bus (Id: %1)").arg(port.ComNumber));
        shownPorts_.push_back(port.ComNumber);
    }
    const bool any = !shownPorts_.empty();
    BLinkOk->setEnabled(any);
    CPort->setEnabled(any);
    if (any) {
        CPort->setCurrentIndex(0);
        BLinkOk->setDefault(true);
        BLinkOk->setFocus();
    } else {
        BStdOk->setDefault(true);
        EId->setFocus();
    }
    rescan_.start();
    setEnabled(true);
    GrowToContent(*this);
}

void TFSelectDriver::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    CentreOn(*this, centreOn_);
    FillFromPorts();
}

void TFSelectDriver::RescanTick() {
    rescan_.stop();
    Discover();
    std::vector<int> found;
    for (const LinkPortRecord& port : driver_.LinkPorts)
        found.push_back(port.ComNumber);
    if (found == shownPorts_) {
        rescan_.start();
        return;
    }
    (shownPorts_.empty() ? BStdOk : BLinkOk)->setFocus();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    setEnabled(false);
    FillFromPorts();
}

void TFSelectDriver::OffLineClicked() {
    TFOffLineSel chooser(centreOn_);
    // Escape in the chooser goes back to this dialog: nothing is closed or changed.
    if (Dialogs().Exec(chooser) != QDialog::Accepted)
        return;
    offLineKind_ = chooser.ChosenKind();
    EId->setText(QStringLiteral("0"));
    done(OffLine);
}

void TFSelectDriver::done(int result) {
    rescan_.stop();
    linkIndex_ = result == Link ? CPort->currentIndex() : linkIndex_;
    if (result == Link &&
        (linkIndex_ < 0 || linkIndex_ >= static_cast<int>(driver_.LinkPorts.size())))
        result = Cancel; // nothing to connect to
    if (DeviceNumber() < 0)
        result = Cancel;
    QDialog::done(result);
}

} // namespace kelm
