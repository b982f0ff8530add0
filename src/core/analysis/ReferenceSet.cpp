#include "core/analysis/ReferenceSet.h"

#include <QStringList>
#include <algorithm>

namespace kelm {

int ReferenceSet::Hold(ReferenceTrace reference) {
    int replaced = 0;
    if (static_cast<int>(references_.size()) >= Capacity) {
        replaced = references_.front().Number;
        references_.erase(references_.begin());
    }
    reference.Number = nextNumber_++;
    references_.push_back(std::move(reference));
    return replaced;
}

QString ReferenceSet::GainDifferences(const GainSnapshot& held, const GainSnapshot& live) {
    QStringList parts;
    for (const GainValue& gain : held) {
        const auto found = std::find_if(
            live.begin(), live.end(), [&gain](const GainValue& g) { return g.Name == gain.Name; });
        if (found == live.end())
            parts << gain.Name + QLatin1Char(' ') + QString::number(gain.Value);
        else if (found->Value != gain.Value)
            parts << QStringLiteral("%1 %2 (%3)").arg(gain.Name).arg(gain.Value).arg(found->Value);
    }
    return parts.join(QStringLiteral(", "));
}

QString ReferenceSet::Legend(const ReferenceTrace& reference, const GainSnapshot& live) {
    QString text = QStringLiteral("Ref %1  ").arg(reference.Number);
    text += reference.Captured.isValid() ? reference.Captured.toString(QStringLiteral("HH:mm:ss"))
                                         : reference.Record.GeneratedOn;
    if (!reference.Source.isEmpty())
        text += QStringLiteral("  ") + reference.Source;
    // A record from a file has no settings of its own to compare.
    const QString differences =
        reference.Gains.empty() ? QString() : GainDifferences(reference.Gains, live);
    if (!differences.isEmpty())
        text += QStringLiteral("  ") + differences;
    else if (!reference.Gains.empty() && !live.empty())
        text += QStringLiteral("  same settings");
    return text;
}

} // namespace kelm
