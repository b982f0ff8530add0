#include "core/link/PortNames.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>

using namespace kelm;

namespace {

// Sets an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const QString& name, const QString& value) : name_(name.toLatin1()) {
        qputenv(name_.constData(), value.toLocal8Bit());
    }
    ~ScopedEnv() { qunsetenv(name_.constData()); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
};

} // namespace

TEST(PortNames, DefaultRule) {
    // clang-format off
    const std::map<int, QString> paths = {
        {1, "/dev/ttyS0"}, {8, "/dev/ttyS7"}, {20, "/dev/ttyS19"}, {21, "/dev/ttyUSB0"},
        {30, "/dev/ttyUSB9"}, {31, "/dev/ttyACM0"}, {40, "/dev/ttyACM9"}, {41, ""}, {0, ""},
        {256, ""}, {-1, ""}};
    // clang-format on
    for (const auto& [com, path] : paths) {
        EXPECT_EQ(PortNames().DevicePath(com), path) << com;
    }
}

TEST(PortNames, ReverseDefaultRule) {
    const PortNames names;
    for (int com = 1; com <= 40; ++com) {
        EXPECT_EQ(names.ComNumber(PortNames::DefaultDevicePath(com)), com) << com;
    }
    for (const char* path : {"/dev/ttyS20", "/dev/ttyUSB10", "/dev/ttyACM10", "/dev/ttyS01",
                             "/dev/ttyAMA0", "ttyS0", "/dev/ttyS0x"}) {
        EXPECT_EQ(PortNames::DefaultComNumber(path), 0) << path;
    }
    EXPECT_EQ(names.ComNumber(""), 0);
}

TEST(PortNames, EnvironmentWinsOverMappingWhichWinsOverDefault) {
    std::map<int, QString> stored = {{2, "/dev/ttyMapped2"}, {3, "/dev/ttyMapped3"}};
    const PortNames names([&](int com) {
        const auto it = stored.find(com);
        return it == stored.end() ? QString() : it->second;
    });
    const ScopedEnv env(PortNames::EnvironmentName(3), "/tmp/sim-port");
    EXPECT_EQ(PortNames::EnvironmentName(3), "KELM_COM3");
    EXPECT_EQ(names.DevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(names.DevicePath(2), "/dev/ttyMapped2");
    EXPECT_EQ(names.DevicePath(3), "/tmp/sim-port");

    EXPECT_EQ(names.ComNumber("/dev/ttyMapped2"), 2);
    EXPECT_EQ(names.ComNumber("/tmp/sim-port"), 3);
    // The defaults of numbers taken over by a mapping no longer count.
    EXPECT_EQ(names.ComNumber("/dev/ttyS1"), 0);
    EXPECT_EQ(names.ComNumber("/dev/ttyS2"), 0);
    EXPECT_EQ(names.ComNumber("/dev/ttyS3"), 4);
}

TEST(PortNames, EmptyEnvironmentValueIsIgnored) {
    const ScopedEnv env(PortNames::EnvironmentName(5), "");
    EXPECT_EQ(PortNames().DevicePath(5), "/dev/ttyS4");
}

TEST(PortNames, ReverseLookupFollowsSymbolicLinks) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("pts7");
    const QString link = dir.filePath("kelm-port");
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QFile::link(target, link));
    const ScopedEnv env(PortNames::EnvironmentName(12), link);
    EXPECT_EQ(PortNames().ComNumber(target), 12);
    EXPECT_EQ(PortNames().ComNumber(link), 12);
}
