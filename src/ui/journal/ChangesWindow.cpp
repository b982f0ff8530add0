#include "ui/journal/ChangesWindow.h"

#include "core/common/KindDescriptor.h"
#include "core/drive/TDriver.h"
#include "core/drive/UndoWriter.h"
#include "core/drive/WriteJournal.h"
#include "core/link/ModbusMaster.h"
#include "core/rules/UnitIdentity.h"
#include "core/seams/Messages.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ProgramSession.h"
#include "ui/shell/ShellHost.h"
#include "ui/widgets/SingleWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <set>

namespace kelm {

namespace {

SingleWindow<TFChanges> g_window;
// The registration for CloseChildWindows; its routines check the global reference.
int g_registration = 0;

QTreeWidgetItem* MakeItem(const ChangeCells& cells, std::uint64_t change) {
    QStringList texts;
    for (const QString& cell : cells)
        texts << cell;
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(change));
    return item;
}

// "/dev/ttyS0 address 1: Std, MZ400T, 5.0, firmware 3.4".
QString DriveText(const DriveAtConnection& drive) {
    return QStringLiteral("%1 address %2: %3")
        .arg(drive.Port)
        .arg(drive.Address)
        .arg(DescribeDrive(drive.Kind, drive.Identity));
}

} // namespace

TFChanges::TFChanges(ShellHost& shell, ProgramSession& session, QWidget* parent)
    : QWidget(parent), shell_(shell), session_(session) {
    setWindowTitle(QStringLiteral("Changes"));
    auto* layout = new QVBoxLayout(this);
    DriveLabel = new QLabel(this);
    DriveLabel->setObjectName(QStringLiteral("DriveLabel"));
    layout->addWidget(DriveLabel);

    auto* filters = new QHBoxLayout;
    SessionChoice = new QComboBox(this);
    SessionChoice->setObjectName(QStringLiteral("SessionChoice"));
    SessionChoice->addItems({QStringLiteral("This session"), QStringLiteral("All sessions")});
    SinceCheck = new QCheckBox(QStringLiteral("&Since"), this);
    SinceCheck->setObjectName(QStringLiteral("SinceCheck"));
    SinceDate = new QDateEdit(QDate::currentDate(), this);
    SinceDate->setObjectName(QStringLiteral("SinceDate"));
    SinceDate->setCalendarPopup(true);
    SinceDate->setEnabled(false);
    filters->addWidget(SessionChoice);
    filters->addWidget(SinceCheck);
    filters->addWidget(SinceDate);
    filters->addStretch(1);
    layout->addLayout(filters);

    Tree = new QTreeWidget(this);
    Tree->setObjectName(QStringLiteral("Tree"));
    const ChangeCells headers = ChangeHeaders();
    Tree->setHeaderLabels(QStringList(headers.begin(), headers.end()));
    Tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Tree->setAlternatingRowColors(true);
    Tree->setUniformRowHeights(true);
    layout->addWidget(Tree, 1);

    Note = new QLabel(this);
    Note->setObjectName(QStringLiteral("Note"));
    Note->setWordWrap(true);
    layout->addWidget(Note);

    auto* buttons = new QHBoxLayout;
    UndoButton = new QPushButton(QStringLiteral("&Undo"), this);
    UndoButton->setObjectName(QStringLiteral("UndoButton"));
    BackButton = new QPushButton(QStringLiteral("&Back to the values read at connection"), this);
    BackButton->setObjectName(QStringLiteral("BackButton"));
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    for (QPushButton* button : {UndoButton, BackButton, close})
        button->setAutoDefault(false);
    buttons->addWidget(UndoButton);
    buttons->addWidget(BackButton);
    buttons->addStretch(1);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    setMinimumSize(680, 380);

    refreshSoon_ = new QTimer(this);
    refreshSoon_->setSingleShot(true);
    refreshSoon_->setInterval(200);
    connect(refreshSoon_, &QTimer::timeout, this, &TFChanges::Refresh);
    connect(&session_, &ProgramSession::JournalChanged, refreshSoon_,
            [this] { refreshSoon_->start(); });
    connect(SessionChoice, &QComboBox::currentIndexChanged, this, &TFChanges::Refresh);
    connect(SinceCheck, &QCheckBox::toggled, this, [this](bool on) {
        SinceDate->setEnabled(on);
        Refresh();
    });
    connect(SinceDate, &QDateEdit::dateChanged, this, &TFChanges::Refresh);
    connect(Tree, &QTreeWidget::itemSelectionChanged, this, &TFChanges::FollowState);
    connect(UndoButton, &QPushButton::clicked, this, &TFChanges::UndoSelected);
    connect(BackButton, &QPushButton::clicked, this, &TFChanges::BackToConnection);
    connect(close, &QPushButton::clicked, this, [this] { ChildFrame(this)->close(); });
    Refresh();
}

std::vector<JournalEntry> TFChanges::DriveEntries() const {
    const DriveAtConnection& drive = session_.Connected();
    const DriveFilter filter =
        DriveFilter::Of(drive.Port, drive.Address, drive.Kind, drive.Identity);
    std::vector<JournalEntry> entries;
    for (const JournalEntry& entry : entries_)
        if (filter.Matches(entry))
            entries.push_back(entry);
    return entries;
}

void TFChanges::Refresh() {
    refreshSoon_->stop();
    const std::vector<std::uint64_t> selected = SelectedChanges();
    const DriveAtConnection& drive = session_.Connected();
    const Journal::Listing listing = session_.ChangeJournal().File().Read();
    entries_ = listing.Entries;
    QStringList notes;
    if (!listing.Skipped.isEmpty())
        notes << QStringLiteral("%1 damaged journal line(s) skipped").arg(listing.Skipped.size());
    Tree->clear();
    if (!drive.Time.isValid()) {
        DriveLabel->setText(QStringLiteral("No drive selected yet"));
    } else {
        DriveLabel->setText(DriveText(drive));
        const ChangesScope scope{
            DriveFilter::Of(drive.Port, drive.Address, drive.Kind, drive.Identity),
            {session_.ChangeJournal().Program(), session_.Started()}};
        const ChangesFilter filter{SessionChoice->currentIndex() == 0,
                                   SinceCheck->isChecked() ? SinceDate->date() : QDate()};
        const std::set<std::uint64_t> keep(selected.begin(), selected.end());
        for (const ChangeRow& row : ChangeRows(entries_, scope, filter)) {
            QTreeWidgetItem* item = MakeItem(row.Cells, row.Number);
            for (const ChangeCells& child : row.Children)
                item->addChild(MakeItem(child, row.Number));
            Tree->addTopLevelItem(item);
            item->setExpanded(true);
            item->setSelected(keep.count(row.Number) > 0);
        }
        if (Tree->topLevelItemCount() == 0)
            notes << QStringLiteral("No changes of this drive to show");
    }
    for (int column = 0; column < ChangeColumnCount; ++column)
        Tree->resizeColumnToContents(column);
    Note->setText(notes.join(QStringLiteral("; ")));
    FollowState();
}

void TFChanges::FollowState() {
    const TDriver& driver = shell_.Driver();
    const DriveAtConnection& drive = session_.Connected();
    // Only the drive the window lists may be written to.
    const bool onDrive =
        driver.Online() && drive.Time.isValid() && shell_.Master().UnitAddress() == drive.Address;
    UndoButton->setEnabled(onDrive && !Tree->selectedItems().isEmpty());
    BackButton->setEnabled(onDrive);
}

std::vector<std::uint64_t> TFChanges::SelectedChanges() const {
    std::set<std::uint64_t> changes;
    for (const QTreeWidgetItem* item : Tree->selectedItems())
        changes.insert(item->data(0, Qt::UserRole).toULongLong());
    return {changes.begin(), changes.end()};
}

void TFChanges::UndoSelected() {
    const std::vector<std::uint64_t> changes = SelectedChanges();
    if (changes.empty())
        return;
    Refresh(); // the journal as it stands now
    TDriver& driver = shell_.Driver();
    const DeviceKind kind = driver.CurrentKind();
    const ConnectedDrive now{QString::fromLatin1(Describe(kind).Text),
                             IdentityOf(kind, driver.ActiveTable())};
    Carry(PlanUndo(DriveEntries(), changes, now), {},
          QStringLiteral("The selected changes left nothing to take back."));
}

void TFChanges::BackToConnection() {
    Refresh();
    TDriver& driver = shell_.Driver();
    const DeviceKind kind = driver.CurrentKind();
    const ConnectedDrive now{QString::fromLatin1(Describe(kind).Text),
                             IdentityOf(kind, driver.ActiveTable())};
    const QDateTime since = session_.Connected().Time;
    const std::vector<JournalEntry> entries = DriveEntries();
    QStringList notes;
    if (const QStringList commands = CommandsSince(entries, since); !commands.isEmpty())
        notes << QStringLiteral("Since the connection also: %1; the values these changed are "
                                "not taken back")
                     .arg(commands.join(QStringLiteral(", ")));
    Carry(PlanBackToConnection(entries, since, now), notes,
          QStringLiteral("No register was changed since the connection."));
}

void TFChanges::Carry(const UndoPlan& plan, const QStringList& extraNotes,
                      const QString& nothingText) {
    TDriver& driver = shell_.Driver();
    if (plan.Refused()) {
        ShowError(plan.Refusal + QStringLiteral("\rNothing written."));
        return;
    }
    if (plan.Writes.empty()) {
        ShowInfo((QStringList{nothingText} << plan.Notes).join(QLatin1Char('\r')));
        return;
    }
    if (const QStringList problems = UndoProblems(driver, plan); !problems.isEmpty()) {
        ShowError(QStringLiteral("Values outside their limits cannot be written back:\r") +
                  problems.join(QLatin1Char('\r')) + QStringLiteral("\rNothing written."));
        return;
    }
    // The question waits for the user: a transition meanwhile voids the request.
    const WriteOrigin asked = driver.Ask(plan.Action);
    if (!AskConfirm(UndoQuestion(plan, DriveText(session_.Connected()), extraNotes)))
        return;
    if (!driver.StillCurrent(asked)) {
        ShowError(WriteGate::DroppedNote(plan.Action));
        Refresh();
        return;
    }
    const UndoOutcome outcome = WriteUndo(driver, plan);
    // The pages show the values written back.
    shell_.Children().NotifyTableChanged();
    const QString done = UndoOutcomeText(plan.Action, outcome.Written, outcome.LeftOut);
    if (outcome.Ok)
        ShowInfo(done);
    else
        ShowError(QStringLiteral("%1 failed: %2\r%3").arg(plan.Action, outcome.Failure, done));
    Refresh();
}

TFChanges* ChangesWindow() {
    return g_window.Get();
}

void ShowChangesWindow(ShellHost& shell, ProgramSession& session) {
    if (g_window.BringToFront())
        return;
    auto* window = new TFChanges(shell, session);
    window->setObjectName(QStringLiteral("TFChanges"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    g_window.Keep(*window);
    ChildWindows& children = shell.Children();
    children.Unregister(g_registration);
    ChildWindows::Hooks hooks;
    // It may write: it goes where the parameter pages go (diagnostic, another file).
    hooks.Close = [](bool closePages) {
        if (TFChanges* open = g_window.Get(); open != nullptr && closePages)
            ChildFrame(open)->close();
    };
    // A reconnection or a table read again: the drive and its values may be others now.
    hooks.TableChanged = [] {
        if (TFChanges* open = g_window.Get())
            open->Refresh();
    };
    hooks.OnlineChanged = [refresh = hooks.TableChanged](bool) { refresh(); };
    g_registration = children.Register(ChildWindows::Role::ParameterPage, window->objectName(),
                                       std::move(hooks));
    QMdiSubWindow& sub = AddChildWindow(*shell.Frame(), *window);
    sub.resize(sub.sizeHint().expandedTo(QSize(760, 420)));
    sub.show();
}

void AddChangeCountField(QStatusBar& bar, ProgramSession& session) {
    auto* field = new QLabel(&bar);
    field->setObjectName(QStringLiteral("ChangeCount"));
    field->setFrameShape(QFrame::Panel);
    field->setFrameShadow(QFrame::Sunken);
    const auto show = [field, &session] {
        field->setText(QStringLiteral("Changes: %1").arg(session.ChangeJournal().ChangeCount()));
    };
    show();
    bar.addPermanentWidget(field);
    QObject::connect(&session, &ProgramSession::JournalChanged, field, show);
}

} // namespace kelm
