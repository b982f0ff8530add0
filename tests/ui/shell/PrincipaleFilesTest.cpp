// Open / Save / Save As of device parameter files through scripted file dialogs.
#include "ShellFixture.h"

#include "core/files/DeviceFile.h"
#include "core/settings/SettingsStore.h"

#include <QFileInfo>
#include <sys/stat.h>

namespace kelm::test {
namespace {

class FilesTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        Build();
    }
    QString Path(const QString& name) const { return Folder() + name; }
    ParamEntry& Entry(std::uint16_t address) {
        return *window_->Driver().ActiveTable().FindByAddress(address);
    }
    // Runs `command` with `name` chosen in its file dialog (empty: Cancel); the boxes shown.
    QStringList RunOn(Command command, const QString& name, std::initializer_list<bool> answers) {
        dialogs_->AnswerNextFile(name.isEmpty() ? QString() : Path(name));
        return RunAnswering(command, answers);
    }
};

TEST_F(FilesTest, SaveWithoutFileNameIsSaveAs) {
    const QString startFolder = window_->Settings().DevicesFolder;
    RunOn(Command::Save, "first.dev", {});
    ASSERT_EQ(dialogs_->Files().size(), 1u);
    const ScriptedDialogs::FileRecord& asked = dialogs_->Files()[0];
    EXPECT_EQ(std::tuple(asked.Save, asked.Request.DefaultExtension, asked.Request.FilterIndex,
                         asked.Request.InitialDir),
              std::tuple(true, QString("dev"), 1, startFolder));
    EXPECT_EQ(std::tuple(QFileInfo::exists(Path("first.dev")), window_->Driver().CurrentFileName,
                         window_->StatusPanelText(9), window_->Settings().DevicesFolder),
              std::tuple(true, Path("first.dev"), QString("first.dev"), Folder()));
    // Now Save writes without asking; the dialogs follow the device kind.
    window_->Run(Command::Save);
    EXPECT_EQ(dialogs_->Files().size(), 1u);
    window_->Driver().SelectDeviceKind(DeviceKind::Power, false);
    window_->SetFileDialogsForDevice();
    RunOn(Command::Open, {}, {});
    ASSERT_EQ(dialogs_->Files().size(), 2u);
    const auto& power = dialogs_->Files()[1].Request;
    EXPECT_EQ(std::tuple(power.DefaultExtension, power.FilterIndex,
                         power.Filter.startsWith("Devices File (*.dev)")),
              std::tuple(QString("tnp"), 2, true));
}

// Save As under another extension writes nothing. A Power file under another extension,
// then under ".dev": neither is opened. Then a file saved with other values: off line they
// become the drive's too.
TEST_F(FilesTest, OtherExtensionsAndWrongTypeAreRefusedOpenOffLineTakesValuesAsDriveValues) {
    const QString folder = window_->Settings().DevicesFolder;
    RunOn(Command::SaveAs, "other.tnp", {});
    dialogs_->AnswerNextFile(QString()); // Cancel does nothing either
    window_->Run(Command::SaveAs);
    EXPECT_EQ(messages_.Texts(), QStringList({"Different File Extensions\r" + Path("other.tnp") +
                                              "\rFile not processed!"}));
    EXPECT_TRUE(!QFileInfo::exists(Path("other.tnp")) &&
                window_->Settings().DevicesFolder == folder);
    messages_.Clear();
    int closes = 0, refreshed = 0;
    window_->Children().Register(ChildWindows::Role::ParameterPage, "motor",
                                 [&](bool) { ++closes; });
    ChildWindows::Hooks hooks;
    hooks.TableChanged = [&] { ++refreshed; };
    window_->Children().Register(ChildWindows::Role::Other, "TFMainDev", hooks);
    const std::int16_t before = Entry(12).Value;
    for (const QString name : {"power.tnp", "fake.dev"}) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Kelm Industries\r\nTarn Power Configuration File\r\nx\r\ny\r\n");
        file.close();
        dialogs_->AnswerNextFile(Path(name));
        window_->Run(Command::Open);
        EXPECT_TRUE(closes == 0 || name.endsWith(".dev")) << "closed before the refusal";
    }
    // The texts are DeviceFileTest's: one refusal for the extension, one for the type.
    ASSERT_EQ(messages_.Texts().size(), 2);
    EXPECT_TRUE(messages_.Texts()[0].contains(Path("power.tnp")));
    EXPECT_TRUE(messages_.Texts()[1].contains("File TYPE not correct!"));
    EXPECT_EQ(std::tuple(Entry(12).Value, window_->Driver().CurrentFileName,
                         window_->StatusPanelText(9), refreshed),
              std::tuple(before, QString(), QString(), 0));

    Entry(12).Value = 321;
    RunOn(Command::SaveAs, "saved.dev", {});
    Entry(12).Value = Entry(12).DriveValue = 5;
    // The save offer comes first (Value now differs from the saved file): decline it.
    EXPECT_EQ(RunOn(Command::Open, "saved.dev", {false}),
              QStringList({"Save Current Device ?\r" + Path("saved.dev")}));
    // Nothing shows as unwritten off line.
    EXPECT_EQ(
        std::tuple(Entry(12).Value, Entry(12).DriveValue, window_->StatusPanelText(9), refreshed),
        std::tuple(321, 321, QString("saved.dev"), 1));
    window_.reset(); // before the counters its close routines use go away
}

// Save As onto a pipe or a read-only file is refused with the reason; nothing is written and
// the current file stays.
TEST_F(FilesTest, SaveAsRefusesWhatIsNoWritableRegularFile) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.dev")).constData(), 0600), 0);
    ASSERT_TRUE(QFile(Path("ro.dev")).open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::setPermissions(Path("ro.dev"), QFile::ReadOwner));
    const std::pair<QString, QString> targets[] = {{"pipe.dev", "It is a FIFO (named pipe)."},
                                                   {"ro.dev", "It is read-only."}};
    for (const auto& [name, reason] : targets)
        EXPECT_EQ(RunOn(Command::SaveAs, name, {}),
                  QStringList{"Unable save Device: " + Path(name) + "\r" + reason});
    EXPECT_EQ(std::tuple(window_->Driver().CurrentFileName, QFileInfo(Path("ro.dev")).size()),
              std::tuple(QString(), 0));
}

TEST_F(FilesTest, OpenOnLineWritesTheFileValuesToTheDrive) {
    GoOnline();
    Entry(12).Value = 444;
    RunOn(Command::SaveAs, "drive.dev", {});
    Entry(12).Value = Entry(12).DriveValue = 9;
    RunOn(Command::Open, "drive.dev", {false, true}); // no save; write 444 above its limit
    // The full write echoes the written values into the drive column.
    EXPECT_EQ(std::tuple(window_->Driver().Online(), Entry(12).Value, Entry(12).DriveValue,
                         SimRegister(1, 12), window_->StatusPanelText(9)),
              std::tuple(true, 444, 444, 444, QString("drive.dev")));
    // The question lists it; a No keeps the drive's value.
    Entry(12).Value = Entry(12).DriveValue = 9;
    const QStringList said = RunOn(Command::Open, "drive.dev", {false, false});
    ASSERT_EQ(said.size(), 2);
    EXPECT_TRUE(said[1].contains("(12): 444, limits 0 to 3")) << said[1].toStdString();
    EXPECT_EQ(Entry(12).DriveValue, 9);
}

} // namespace
} // namespace kelm::test
