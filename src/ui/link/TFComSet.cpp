#include "ui/link/TFComSet.h"

#include "core/link/AdapterLatency.h"
#include "core/link/PortNames.h"
#include "core/link/SerialById.h"
#include "core/settings/SettingsStore.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"

#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringListModel>

namespace kelm {

namespace {

ComSettingsValues StoredValues(const SettingsStore& settings) {
    return {settings.ComPort, settings.BaudRate, settings.Parity, settings.LinkComPort};
}

// The stable names of the adapters plugged in, as full paths and as bare names.
QStringList StableNames() {
    QStringList names = ByIdPaths();
    for (const QString& path : ByIdPaths())
        names << QFileInfo(path).fileName();
    return names;
}

PortNames NamesOf(const SettingsStore& settings) {
    return PortNames([&settings](int com) { return settings.PortPath(com); });
}

} // namespace

TFComSet::TFComSet(ComSettingsLogic::Variant variant, SettingsStore& settings, QWidget* parent)
    : QDialog(parent), settings_(settings), logic_(variant, StoredValues(settings)) {
    setWindowTitle(QStringLiteral(" Com Settings "));
    const bool link = variant == ComSettingsLogic::Variant::Link;
    auto* grid = new QGridLayout(this);

    LPort = new QLabel(link ? QStringLiteral("Tarn Com Port") : QStringLiteral("Port"));
    grid->addWidget(LPort, 0, 0);
    CPort = new QComboBox(this);
    CPort->addItems(ComSettingsLogic::PortItems());
    EPath = new QLineEdit(this);
    EPath->setToolTip(QStringLiteral("Device of the selected COM port (a path, a name "
                                     "from /dev/serial/by-id, or tcp:HOST:PORT for a "
                                     "serial device server)"));
    // Typing offers the stable names of the adapters plugged in, as paths or bare names.
    EPath->setCompleter(new QCompleter(StableNames(), EPath));
    LById = new QLabel(this);
    LLatency = new QLabel(this);
    auto* baudLabel = new QLabel(QStringLiteral("Baud"), this);
    CBaud = new QComboBox(this);
    CBaud->addItems(ComSettingsLogic::BaudItems());
    auto* parityLabel = new QLabel(QStringLiteral("Parity"), this);
    CParity = new QComboBox(this);
    CParity->addItems(ComSettingsLogic::ParityItems());
    // Every control belongs to the dialog, also those a variant leaves out of the layout.
    ETarnPort = new QSpinBox(this);
    ETarnPort->setRange(ComSettingsLogic::MinLinkPort, ComSettingsLogic::MaxLinkPort);

    if (link) {
        grid->addWidget(ETarnPort, 0, 1);
        for (QWidget* w : {static_cast<QWidget*>(CPort), static_cast<QWidget*>(EPath),
                           static_cast<QWidget*>(LById), static_cast<QWidget*>(LLatency),
                           static_cast<QWidget*>(baudLabel), static_cast<QWidget*>(CBaud),
                           static_cast<QWidget*>(parityLabel), static_cast<QWidget*>(CParity)})
            w->hide();
    } else {
        grid->addWidget(CPort, 0, 1);
        grid->addWidget(EPath, 0, 2);
        grid->addWidget(LById, 1, 2);
        grid->addWidget(baudLabel, 1, 0);
        grid->addWidget(CBaud, 1, 1);
        grid->addWidget(parityLabel, 2, 0);
        grid->addWidget(CParity, 2, 1);
        grid->addWidget(LLatency, 2, 2);
        ETarnPort->hide(); // loaded, not shown
    }
    auto* buttons = new QHBoxLayout;
    BDefault = new QPushButton(QStringLiteral("&Load Default"));
    BOk = new QPushButton(QStringLiteral("&Ok"));
    buttons->addWidget(BDefault);
    buttons->addWidget(BOk);
    grid->addLayout(buttons, 3, 0, 1, 3);

    ShowSelection(logic_.Shown());
    ShowDevicesOfPorts();
    ShowPathOfPort();
    connect(CPort, &QComboBox::currentIndexChanged, this, &TFComSet::ShowPathOfPort);
    connect(&portWatch_, &SerialPortWatch::Changed, this, [this] {
        if (auto* names = qobject_cast<QStringListModel*>(EPath->completer()->model()))
            names->setStringList(StableNames());
        ShowDevicesOfPorts();
        ShowStableName();
    });
    connect(EPath, &QLineEdit::textEdited, this, &TFComSet::PathEdited);
    connect(BDefault, &QPushButton::clicked, this, [this] {
        logic_.LoadDefaults();
        ShowSelection(logic_.Current());
    });
    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    if (link)
        setFixedHeight(100);
}

void TFComSet::ShowSelection(const ComSettingsLogic::Selection& selection) {
    CPort->setCurrentIndex(selection.PortIndex);
    CBaud->setCurrentIndex(selection.BaudIndex);
    CParity->setCurrentIndex(selection.ParityIndex);
    ETarnPort->setValue(selection.LinkPort);
}

void TFComSet::ReadSelection() {
    ComSettingsLogic::Selection& current = logic_.Current();
    current.PortIndex = CPort->currentIndex();
    current.BaudIndex = CBaud->currentIndex();
    current.ParityIndex = CParity->currentIndex();
    current.LinkPort = ETarnPort->value();
}

// Each COM number's item names its device and, where udev made one, its stable name.
void TFComSet::ShowDevicesOfPorts() {
    const PortNames names = NamesOf(settings_);
    for (int i = 0; i < CPort->count(); ++i) {
        const QString path = names.DevicePath(i + 1);
        const QString byId = ByIdPathOf(path);
        CPort->setItemData(i, byId.isEmpty() ? path : path + QStringLiteral("\n") + byId,
                           Qt::ToolTipRole);
    }
}

// The path of the COM number now selected: one typed in this dialog, else what the
// number resolves to, with its stable by-id name below. A path forced by the environment
// cannot be changed here.
void TFComSet::ShowPathOfPort() {
    const int com = CPort->currentIndex() + 1;
    const auto edited = editedPaths_.find(com);
    EPath->setText(edited != editedPaths_.end() ? edited->second
                                                : NamesOf(settings_).DevicePath(com));
    EPath->setEnabled(!qEnvironmentVariableIsSet(qPrintable(PortNames::EnvironmentName(com))));
    ShowStableName();
}

// The stable name of the device typed, and its adapter's latency where the driver has one.
void TFComSet::ShowStableName() {
    const QString path = ExpandByIdName(EPath->text());
    const QString byId = ByIdPathOf(path);
    LById->setText(QFileInfo(byId).fileName());
    LById->setToolTip(byId);
    const AdapterLatency latency = ReadAdapterLatency(path);
    LLatency->setText(latency.TimerMs
                          ? QStringLiteral("Adapter latency: %1 ms").arg(*latency.TimerMs)
                          : QString());
    LLatency->setToolTip(DescribeAdapterLatency(latency));
}

// A bare name from /dev/serial/by-id stands for its full path.
void TFComSet::PathEdited() {
    editedPaths_[CPort->currentIndex() + 1] = ExpandByIdName(EPath->text());
    ShowStableName();
}

bool TFComSet::ApplyComSettings() {
    ReadSelection();
    ComSettingsValues values = StoredValues(settings_);
    bool changed = logic_.Apply(values);
    settings_.ComPort = static_cast<std::uint8_t>(values.ComPort);
    settings_.BaudRate = values.BaudRate;
    settings_.Parity = static_cast<std::uint8_t>(values.Parity);
    settings_.LinkComPort = static_cast<std::uint8_t>(values.LinkComPort);
    const PortNames names = NamesOf(settings_);
    for (const auto& [com, path] : editedPaths_) {
        if (path == names.DevicePath(com))
            continue;
        // The default device needs no mapping; an empty field removes it.
        settings_.SetPortPath(com, path == PortNames::DefaultDevicePath(com) ? QString() : path);
        changed = true;
    }
    editedPaths_.clear();
    return changed;
}

void TFComSet::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        done(Discarded);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool ShowComSettings(ShellHost& shell, bool linkPort) {
    TFComSet dialog(linkPort ? ComSettingsLogic::Variant::Link
                             : ComSettingsLogic::Variant::Standard,
                    shell.Settings(), shell.Window());
    // Closing by "&Ok" or by the close box both store; Escape stores nothing.
    if (Dialogs().Exec(dialog) == TFComSet::Discarded)
        return false;
    return dialog.ApplyComSettings();
}

} // namespace kelm
