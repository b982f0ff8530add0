#pragma once

#include "core/drive/WriteGate.h"
#include "core/drive/status/StatusPageHost.h"

namespace kelm {

// The Enable and Disable buttons of the main window's drive group.
enum class DriveRequest { Enable = 0, Disable = 1 };

// What the status poll touches on the user-interface side: the analog-output selectors and
// their user-changed marks, the Enable/Disable buttons, the refresh routines of the main
// window and of the pages that follow the poll. Called on the user-interface thread (the
// poll's requests run on the worker, which reaches these through its synchronized call).
class StatusPollHost : public StatusPageHost {
public:
    // Analog-output selector 0 (COut1) or 1 (COut2).
    virtual bool SelectorChanged(int selector) const = 0;
    virtual int SelectorIndex(int selector) const = 0; // -1 when nothing is selected
    virtual void ClearSelectorChanged(int selector) = 0;
    // Who asked for a selector change or a request, and when (not set: asked now).
    virtual WriteOrigin SelectorOrigin(int /*selector*/) const { return {}; }
    virtual WriteOrigin RequestOrigin(DriveRequest /*request*/) const { return {}; }

    // A request button is down until the poll has carried it to the drive.
    virtual bool RequestPending(DriveRequest request) const = 0;
    virtual void SetRequestWritten(DriveRequest request, bool written) = 0; // button tag
    virtual void ReleaseRequest(DriveRequest request) = 0;                  // button up

    // Paints the status panel from the active table.
    virtual void StatusRefresh() = 0;
};

} // namespace kelm
