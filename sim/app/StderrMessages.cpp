#include "sim/app/StderrMessages.h"

#include <cstdio>

namespace kelm::sim {

void StderrMessages::ShowBox(const QString& caption, const QString& text, MessageIcon) {
    QString flat = text;
    flat.replace(QLatin1Char('\r'), QLatin1String(" / "));
    std::fprintf(stderr, "kelmsim: %s: %s\n", qPrintable(caption.trimmed()), qPrintable(flat));
}

bool StderrMessages::AskYesNo(const QString& caption, const QString& text) {
    ShowBox(caption, text, MessageIcon::Question);
    return false;
}

} // namespace kelm::sim
