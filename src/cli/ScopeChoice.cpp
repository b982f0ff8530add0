#include "cli/ScopeChoice.h"

#include "core/drive/scope/ScopeRules.h"

#include <QStringList>
#include <algorithm>

namespace kelm::cli {
namespace {

QString NumberList(const QStringList& numbers) {
    if (numbers.size() < 2)
        return numbers.join(QString());
    return numbers.mid(0, numbers.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           numbers.last();
}

QString Refused(const QString& option, const QString& range, int value) {
    return QStringLiteral("--%1 takes %2, not \"%3\"").arg(option, range).arg(value);
}

bool HasScale(const ScopeSignal& signal, int units) {
    return std::any_of(
        signal.Scales.begin(), signal.Scales.end(),
        [units](const ScopeScale& scale) { return scale.UnitsPerDivision == units; });
}

} // namespace

QString ScopeRefusal(const ScopeOverrides& options, const ScopeScaleSet* signalSet, int signalCount,
                     const ScopeSettings* stored) {
    if (options.Edge && (*options.Edge < scope::FirstEdge || *options.Edge > scope::LastEdge))
        return Refused(QStringLiteral("edge"),
                       QStringLiteral("1 (rising), 2 (falling) or 3 (automatic)"), *options.Edge);
    if (options.Window && scope::TimeBaseIndex(*options.Window) < 0) {
        QStringList windows;
        for (const int window : scope::TimeWindows)
            windows << QString::number(window);
        return Refused(QStringLiteral("window"),
                       QStringLiteral("a time window of %1 ms").arg(NumberList(windows)),
                       *options.Window);
    }
    // The stored settings as the window repairs them: their window and signals count.
    std::optional<scope::StoredSettings> repaired;
    if (stored != nullptr)
        repaired = scope::Repaired(
            {stored->Edge, stored->Window, stored->Signal[0], stored->Signal[1]}, signalCount);
    if (options.Delay) {
        const int window = options.Window ? *options.Window
                           : repaired     ? repaired->TimeWindow
                                          : scope::TimeWindows.back();
        if (*options.Delay < 0 || *options.Delay > window)
            return Refused(QStringLiteral("delay"),
                           QStringLiteral("0 to the time window (%1 ms)").arg(window),
                           *options.Delay);
    }
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const QString name = QStringLiteral("signal%1").arg(ch + 1);
        const std::optional<int> signal = options.Signal[ch];
        if (signal && (*signal < 1 || *signal > signalCount))
            return Refused(name,
                           QStringLiteral("a signal number from 1 to %1 (kelmctl scope "
                                          "--list-signalSet names them)")
                               .arg(signalCount),
                           *signal);
    }
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const std::optional<int> units = options.Scale[ch];
        std::optional<int> number = options.Signal[ch];
        if (!number && repaired)
            number = ch == 0 ? repaired->Signal1 : repaired->Signal2;
        const ScopeSignal* signal =
            signalSet != nullptr && number ? scope::SignalByNumber(*signalSet, *number) : nullptr;
        if (!units || signal == nullptr || signal->Scales.empty() || HasScale(*signal, *units))
            continue;
        QStringList scales;
        for (const ScopeScale& scale : signal->Scales)
            scales << QString::number(scale.UnitsPerDivision);
        return Refused(QStringLiteral("scale%1").arg(ch + 1),
                       QStringLiteral("%1 for signal %2 (%3)")
                           .arg(NumberList(scales))
                           .arg(*number)
                           .arg(signal->Name),
                       *units);
    }
    return {};
}

ScopeSettings ResolveScope(ScopeSettings stored, const ScopeOverrides& options,
                           const ScopeScaleSet& signalSet) {
    const scope::StoredSettings repaired =
        scope::Repaired({stored.Edge, stored.Window, stored.Signal[0], stored.Signal[1]},
                        static_cast<int>(signalSet.size()));
    ScopeSettings out = stored;
    out.Edge = options.Edge.value_or(repaired.Edge);
    out.Window = options.Window.value_or(repaired.TimeWindow);
    if (options.Delay)
        out.Delay = *options.Delay;
    else if (options.Window)
        out.Delay = out.Window / 2;
    else
        out.Delay = std::clamp(stored.Delay, 0, out.Window);
    out.Level = options.Level.value_or(stored.Level);
    const std::array<int, 2> storedSignals{repaired.Signal1, repaired.Signal2};
    for (std::size_t ch = 0; ch < 2; ++ch) {
        out.Signal[ch] = options.Signal[ch].value_or(storedSignals[ch]);
        const ScopeSignal* signal = scope::SignalByNumber(signalSet, out.Signal[ch]);
        const int wanted = options.Scale[ch].value_or(stored.Scale[ch]);
        if (signal == nullptr || signal->Scales.empty()) {
            out.Scale[ch] = options.Scale[ch].value_or(1); // the window's "no scale" height
        } else if (HasScale(*signal, wanted)) {
            out.Scale[ch] = wanted;
        } else {
            const int middle = scope::MiddleScale(static_cast<int>(signal->Scales.size()));
            out.Scale[ch] = signal->Scales[static_cast<std::size_t>(middle)].UnitsPerDivision;
        }
    }
    return out;
}

} // namespace kelm::cli
