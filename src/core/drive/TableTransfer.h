#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace kelm {

struct ParamEntry;
class ParamTable;
class TDriver;

// A whole-table transfer run by the worker, one step per worker turn: reads go in blocks
// of consecutive register addresses, writes one entry at a time ('N' and 'F' entries are
// read back instead of written). Progress and completion callbacks run on the
// user-interface thread through the synchronized call.
class TableTransfer {
public:
    using Callback = std::function<void()>;

    explicit TableTransfer(TDriver& driver) : driver_(driver) {}

    // table may be null for transfers whose steps are run by a step body. A write counts
    // the registers it writes, so that one ending early can say how far it got.
    void Begin(ParamTable* table, int blockLimit, Callback onProgress, Callback onDone,
               bool write = false);
    // Worker steps for TableRead and TableWrite.
    void ReadStep();
    void WriteStep();

    // For other transfers run by step bodies (CaptureUpload): one progress call, and the end.
    bool NotifyProgress(int count);
    void Finish();

    int Index() const { return index_; }
    std::uint16_t BlockStart() const { return blockStart_; }
    int BlockLength() const { return blockLength_; }

    static constexpr int MaxBlock = 32;

    // "41 of 73 registers written; ..." for a write that ended before its last register.
    static QString PartialWriteText(int written, int total);

private:
    bool IsWritten(const ParamEntry& entry) const;
    bool ReadBlock();
    bool WriteEntry();
    bool Advance();
    void AfterStep(bool stepOk, const char* errorText);
    // Runs fn on the user-interface thread; false when it threw.
    bool CallSynchronized(const Callback& fn);

    TDriver& driver_;
    ParamTable* table_ = nullptr;
    int blockLimit_ = 16;
    int index_ = 0;
    std::uint16_t blockStart_ = 0;
    int blockLength_ = 0;
    std::array<std::uint16_t, MaxBlock> buffer_{};
    Callback onProgress_;
    Callback onDone_;
    bool write_ = false;
    int written_ = 0;         // registers a write has written so far
    int toWrite_ = 0;         // registers the whole write writes ('A' and 'D' entries)
    unsigned generation_ = 0; // counts Begin calls (written while the worker waits)
};

} // namespace kelm
