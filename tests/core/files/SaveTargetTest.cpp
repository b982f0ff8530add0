// What a save may replace, on a temporary tree: regular files and links to them only; the
// link stays a link and a replaced file keeps its permissions.
#include "FileTestSupport.h"

#include "core/files/ReplacingWriter.h"

#include <QDir>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace kelm;
using namespace kelm::testing;

namespace {

using Kind = SaveTarget::Kind;

class SaveTargetTest : public FileTest {
protected:
    QByteArray Name(const QString& name) const { return QFile::encodeName(Path(name)); }
    void Link(const QString& target, const QString& name) const {
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), Name(name).constData()), 0);
    }
    mode_t Mode(const QString& name) const {
        struct stat info {};
        ::lstat(Name(name).constData(), &info);
        return info.st_mode;
    }
    ReplaceOutcome Write(const QString& name, ReadOnlyFiles readOnly = ReadOnlyFiles::Refuse) {
        return WriteReplacing(
            Path(name), [](QIODevice& out) { out.write("new"); }, readOnly);
    }
};

TEST_F(SaveTargetTest, OnlyRegularFilesAndLinksToThemAreAccepted) {
    WriteBytes(Path("plain.dev"), "old");
    WriteBytes(Path("locked.dev"), "old");
    ASSERT_EQ(::chmod(Name("locked.dev").constData(), 0444), 0);
    ASSERT_EQ(::mkfifo(Name("fifo.dev").constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.dev"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    const QByteArray socketName = Name("socket.dev");
    ASSERT_LT(socketName.size(), qsizetype(sizeof address.sun_path));
    std::copy(socketName.begin(), socketName.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    Link(Path("plain.dev"), "link.dev");
    Link("link.dev", "chain.dev");
    Link("/dev/zero", "zero.dev");
    Link(Path("gone.dev"), "dangling.dev");
    Link("loop2.dev", "loop1.dev");
    Link("loop1.dev", "loop2.dev");
    // Name, what it is taken for, a word of the reason; forced: the same with --force.
    const std::tuple<const char*, Kind, const char*, Kind> cases[] = {
        {"new.dev", Kind::NewFile, "", Kind::NewFile},
        {"none/new.dev", Kind::Refused, "does not exist", Kind::Refused},
        {"plain.dev", Kind::RegularFile, "", Kind::RegularFile},
        {"link.dev", Kind::LinkToRegularFile, "", Kind::LinkToRegularFile},
        {"chain.dev", Kind::LinkToRegularFile, "", Kind::LinkToRegularFile},
        {"locked.dev", Kind::Refused, "It is read-only.", Kind::RegularFile},
        {"fifo.dev", Kind::Refused, "It is a FIFO (named pipe).", Kind::Refused},
        {"folder.dev", Kind::Refused, "It is a folder.", Kind::Refused},
        {"socket.dev", Kind::Refused, "It is a socket.", Kind::Refused},
        {"zero.dev", Kind::Refused, "symbolic link to /dev/zero, a device.", Kind::Refused},
        {"dangling.dev", Kind::Refused, "link to a missing file", Kind::Refused},
        {"loop1.dev", Kind::Refused, "loop", Kind::Refused},
    };
    for (const auto& [name, kind, reason, forced] : cases) {
        SCOPED_TRACE(name);
        const SaveTarget target = InspectSaveTarget(Path(name));
        EXPECT_EQ(target.What, kind);
        EXPECT_TRUE(target.Reason.contains(reason)) << target.Reason.toStdString();
        EXPECT_EQ(target.Reason.isEmpty(), kind != Kind::Refused);
        EXPECT_EQ(InspectSaveTarget(Path(name), ReadOnlyFiles::Overwrite).What, forced);
        // A refused name is left exactly as it was, and nothing is written beside it.
        const mode_t before = Mode(name);
        EXPECT_EQ(Write(name).Result,
                  kind == Kind::Refused ? ReplaceResult::Refused : ReplaceResult::Written);
        EXPECT_TRUE(kind != Kind::Refused || Mode(name) == before);
    }
    ::close(sock);
    EXPECT_EQ(InspectSaveTarget(Path("link.dev")).Path,
              QDir(dir.path()).canonicalPath() + "/plain.dev");
    EXPECT_EQ(ReadBytes(Path("plain.dev")), "new");
    EXPECT_EQ(ReadBytes(Path("locked.dev")), "old");
    EXPECT_EQ(QDir(dir.path())
                  .entryList(QDir::Hidden | QDir::System | QDir::AllEntries | QDir::NoDotAndDotDot)
                  .size(),
              12);
}

// A replaced file keeps its permission bits; a forced read-only one stays read-only; a new
// one gets what the umask leaves.
TEST_F(SaveTargetTest, ReplacedFilesKeepTheirModeNewOnesFollowTheUmask) {
    const std::pair<const char*, mode_t> files[] = {
        {"a.dev", 0640}, {"b.dev", 0604}, {"ro.dev", 0444}, {"x.dev", 0750}};
    for (const auto& [name, mode] : files) {
        WriteBytes(Path(name), "old");
        ASSERT_EQ(::chmod(Name(name).constData(), mode), 0);
        ASSERT_TRUE(Write(name, ReadOnlyFiles::Overwrite).Written()) << name;
        EXPECT_EQ(Mode(name) & 07777, mode) << name;
        EXPECT_EQ(ReadBytes(Path(name)), "new");
    }
    const mode_t mask = ::umask(022);
    ASSERT_TRUE(Write("fresh.dev").Written());
    ::umask(mask);
    EXPECT_EQ(Mode("fresh.dev") & 07777, 0644u);
    Link(Path("a.dev"), "link.dev");
    ASSERT_TRUE(Write("link.dev").Written());
    EXPECT_TRUE(S_ISLNK(Mode("link.dev")));
}

// A device node in the folder (only root can make one) is refused, not turned into a file.
TEST_F(SaveTargetTest, DeviceNodeIsRefused) {
    if (::mknod(Name("null.dev").constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "mknod needs root";
    Link(Path("null.dev"), "link.dev");
    for (const char* name : {"null.dev", "link.dev"}) {
        const ReplaceOutcome outcome = Write(name, ReadOnlyFiles::Overwrite);
        EXPECT_EQ(outcome.Result, ReplaceResult::Refused) << name;
        EXPECT_TRUE(outcome.Reason.endsWith("a device.")) << outcome.Reason.toStdString();
    }
    EXPECT_TRUE(S_ISCHR(Mode("null.dev")));
}

} // namespace
