#pragma once

#include "core/seams/Messages.h"

namespace kelm::sim {

// The message seam of the simulator: configuration messages go to standard error.
class StderrMessages : public MessageSink {
public:
    void Beep() override {}
    void ShowBox(const QString& caption, const QString& text, MessageIcon icon) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    void RequestTerminate() override {}
};

} // namespace kelm::sim
