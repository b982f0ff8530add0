// The fit check's main: the windows are looked at on a small laptop's screen, 1366x768
// pixels, whatever the scale factor (QT_SCALE_FACTOR) of the run.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const QTemporaryDir data;
    const QString screen = data.filePath(QStringLiteral("screen.json"));
    QFile config(screen);
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366,
                        "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    // A plain offscreen platform becomes the virtual screen; another one is kept as asked.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen));
    // Tests keep their data in a folder of their own, never in the user's.
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
