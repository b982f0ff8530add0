// Replays a target's stored corpus without libFuzzer: every file of the folder once.
// Usage: test_fuzz_replay TARGET CORPUS_FOLDER
#include "FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s TARGET CORPUS_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    const QStringList files = folder.entryList(QDir::Files, QDir::Name);
    if (files.isEmpty()) {
        std::fprintf(stderr, "no inputs in %s\n", argv[2]);
        return 1;
    }
    for (const QString& name : files) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(name));
        if (!kelm::fuzz::RunTarget(argv[1], reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   static_cast<std::size_t>(bytes.size()))) {
            std::fprintf(stderr, "unknown target %s\n", argv[1]);
            return 2;
        }
    }
    std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()));
    return 0;
}
