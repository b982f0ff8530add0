#include "core/drive/TableTransfer.h"

#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"

#include <QDebug>
#include <algorithm>
#include <exception>

namespace kelm {

// A whole-table write sends the 'A' and 'D' entries, except the registers the drive itself
// owns (status, identification): those are read back so a file never overwrites them.
bool TableTransfer::IsWritten(const ParamEntry& entry) const {
    if (table_ == &driver_.ActiveTable())
        return IsSentByTableWrite(driver_.CurrentKind(), entry);
    return entry.SentByTableWrite();
}

void TableTransfer::Begin(ParamTable* table, int blockLimit, Callback onProgress, Callback onDone,
                          bool write) {
    table_ = table;
    write_ = write && table != nullptr;
    written_ = 0;
    toWrite_ = write_ ? static_cast<int>(std::count_if(
                            table->begin(), table->end(),
                            [this](const ParamEntry& entry) { return IsWritten(entry); }))
                      : 0;
    blockLimit_ = std::clamp(blockLimit, 1, MaxBlock);
    index_ = 0;
    blockStart_ = 0;
    blockLength_ = 0;
    onProgress_ = std::move(onProgress);
    onDone_ = std::move(onDone);
    ++generation_;
}

void TableTransfer::ReadStep() {
    bool ok = true;
    try {
        ok = ReadBlock();
    } catch (...) {
        ok = false;
    }
    AfterStep(ok, "Error Nr. 001");
}

void TableTransfer::WriteStep() {
    bool ok = true;
    try {
        ok = WriteEntry();
    } catch (...) {
        ok = false;
    }
    AfterStep(ok, "Error Nr. 002");
}

bool TableTransfer::ReadBlock() {
    // An empty table (or an index past its end) ends the transfer without any request.
    if (table_ == nullptr || index_ >= table_->Count()) {
        blockLength_ = 0;
        return true;
    }
    const ParamTable& table = *table_;
    blockStart_ = table.At(index_).Address;
    blockLength_ = 1;
    while (blockLength_ < blockLimit_ && index_ + blockLength_ < table.Count() &&
           static_cast<int>(table.At(index_ + blockLength_).Address) ==
               static_cast<int>(blockStart_) + blockLength_)
        ++blockLength_;

    if (driver_.ReadRegs(blockStart_, buffer_.data(), true, 100,
                         static_cast<std::uint8_t>(blockLength_), nullptr)) {
        for (int i = 0; i < blockLength_; ++i) {
            ParamEntry& entry = table_->At(index_ + i);
            entry.DriveValue = static_cast<std::int16_t>(buffer_[static_cast<std::size_t>(i)]);
            entry.Value = entry.DriveValue;
            entry.FileValue = entry.DriveValue;
        }
    }
    return true;
}

bool TableTransfer::WriteEntry() {
    if (table_ == nullptr || index_ >= table_->Count()) {
        blockLength_ = 0;
        return true;
    }
    ParamEntry& entry = table_->At(index_);
    if (!IsWritten(entry))
        driver_.ReadEntry(entry, true, 100, true);
    else if (driver_.WriteEntry(entry, true, 100))
        ++written_;
    blockLength_ = 1;
    return true;
}

void TableTransfer::AfterStep(bool stepOk, const char* errorText) {
    if (!stepOk) {
        // Abandoned without OnDone; polling restarts.
        ShowError(QString::fromLatin1(errorText));
        driver_.SetMode(WorkerMode::StatusPoll);
        return;
    }
    if (Advance() && driver_.Online())
        return;
    Finish();
}

bool TableTransfer::Advance() {
    if (!NotifyProgress(blockLength_))
        return false;
    index_ += blockLength_;
    return table_ != nullptr && index_ < table_->Count();
}

bool TableTransfer::NotifyProgress(int count) {
    if (!onProgress_ || count <= 0)
        return true;
    const bool ok = CallSynchronized([this, count] {
        for (int i = 0; i < count; ++i)
            onProgress_();
    });
    if (!ok)
        ShowError(QStringLiteral("Error Nr. 003"));
    return ok;
}

QString TableTransfer::PartialWriteText(int written, int total) {
    const QString count = QStringLiteral("%1 of %2 registers written; ").arg(written).arg(total);
    return count + (written > 0 ? QStringLiteral("the drive holds a mix of old and new values.")
                                : QStringLiteral("the drive keeps its old values."));
}

void TableTransfer::Finish() {
    const unsigned started = generation_;
    // A write that stopped early (the drive fell silent, the progress dialog was closed)
    // leaves the drive with part of the new values: say how far it got.
    if (write_ && written_ < toWrite_ && !driver_.Online()) {
        write_ = false;
        ShowError(PartialWriteText(written_, toWrite_));
    }
    if (onDone_) {
        // Taken out and released on the user-interface thread: the completion may start
        // the next transfer, whose Begin replaces the callbacks while this one runs.
        const bool ok = CallSynchronized([this] {
            const Callback done = std::move(onDone_);
            onDone_ = nullptr;
            done();
        });
        if (!ok)
            ShowError(QStringLiteral("Error Nr. 003"));
    }
    // A transfer started by the completion owns the mode now.
    if (generation_ == started)
        driver_.SetMode(WorkerMode::StatusPoll);
}

bool TableTransfer::CallSynchronized(const Callback& fn) {
    bool ok = true;
    driver_.RunSynchronized([&fn, &ok] {
        try {
            fn();
        } catch (const std::exception& error) {
            qWarning() << "transfer callback failed:" << error.what();
            ok = false;
        } catch (...) {
            ok = false;
        }
    });
    return ok;
}

} // namespace kelm
