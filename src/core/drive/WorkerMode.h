#pragma once

namespace kelm {

// The background activity of the drive model's worker thread. Each value is the
// activity's historical letter, so a mode printed as a character reads as it always did.
enum class WorkerMode : char {
    Idle = 0,            // suspended
    StatusPoll = 'I',    // paced status poll of the connected drive
    LinkPoll = 'S',      // paced poll of the units on a Tarn link
    Diagnostic = 'D',    // re-reads the diagnostic window's visible rows
    TableRead = 'R',     // whole-table read
    TableWrite = 'W',    // whole-table write
    CaptureUpload = 'T', // upload of a completed oscilloscope capture
};

// The polls that the host's pause timer paces.
constexpr bool IsPacedPoll(WorkerMode mode) {
    return mode == WorkerMode::StatusPoll || mode == WorkerMode::LinkPoll;
}

// What a whole-table read or write transfers.
enum class TransferTarget {
    ActiveTable,
    ScopeSettings, // read only
    Profiles,
    Capture, // read only: the capture upload, run by its step body
};

} // namespace kelm
