#pragma once

#include <QString>
#include <memory>

class QTemporaryDir;

namespace kelm {

// A folder written all at once: the files go into a temporary sibling folder, which takes
// the target's name only when Commit is called. Until then, and whenever something fails,
// the target is untouched; a folder that was never committed is removed with this object.
// An existing target is replaced as a whole (moved aside, the new one renamed in, the old
// one removed), and only when it is empty or holds a machine backup, so a folder of other
// files is never swept away.
class AtomicFolder {
public:
    explicit AtomicFolder(QString target);
    ~AtomicFolder();
    AtomicFolder(const AtomicFolder&) = delete;
    AtomicFolder& operator=(const AtomicFolder&) = delete;

    // Checks the target and creates the temporary folder. false with the reason.
    bool Begin(QString* error);
    // Where the files go until Commit.
    QString WorkPath() const;
    // Puts the temporary folder in the target's place. false with the reason; the target is
    // then as it was.
    bool Commit(QString* error);

    const QString& Target() const { return target_; }

private:
    QString target_;
    std::unique_ptr<QTemporaryDir> work_;
};

} // namespace kelm
