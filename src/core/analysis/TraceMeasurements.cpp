#include "core/analysis/TraceMeasurements.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kelm {

namespace {

double MeanOf(std::span<const double> values) {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// The steady state is taken as the last tenth of the response (at least one sample).
std::span<const double> Tail(std::span<const double> response) {
    const std::size_t count = std::max<std::size_t>(1, response.size() / 10);
    return response.last(count);
}

// Time (in samples from the start of response) where the response first reaches level
// going in direction sign, interpolated between samples.
std::optional<double> FirstCrossing(std::span<const double> response, double level, double sign) {
    for (std::size_t i = 0; i < response.size(); ++i) {
        if (sign * (response[i] - level) < 0)
            continue;
        if (i == 0)
            return 0.0;
        const double before = response[i - 1];
        const double fraction = (level - before) / (response[i] - before);
        return static_cast<double>(i - 1) + fraction;
    }
    return std::nullopt;
}

} // namespace

std::optional<TraceStatistics> MeasureTrace(std::span<const double> values) {
    if (values.empty())
        return std::nullopt;
    TraceStatistics stats;
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    stats.Minimum = *low;
    stats.Maximum = *high;
    stats.PeakToPeak = *high - *low;
    stats.Mean = MeanOf(values);
    const double squares = std::inner_product(values.begin(), values.end(), values.begin(), 0.0);
    stats.Rms = std::sqrt(squares / static_cast<double>(values.size()));
    return stats;
}

std::optional<StepFigures> MeasureStep(std::span<const double> values, const StepSearch& search,
                                       std::span<const double> reference) {
    if (search.StepIndex < 0 || static_cast<std::size_t>(search.StepIndex) >= values.size())
        return std::nullopt;
    const auto stepAt = static_cast<std::size_t>(search.StepIndex);
    const std::span<const double> before = values.first(stepAt);
    const std::span<const double> response = values.subspan(stepAt);

    StepFigures step;
    step.Initial = before.empty() ? response.front() : MeanOf(before);
    step.Final = MeanOf(Tail(response));
    const double height = step.Final - step.Initial;
    const double scale = std::max({std::abs(step.Initial), std::abs(step.Final), 1e-12});
    if (std::abs(height) <= 1e-9 * scale)
        return std::nullopt;
    const double sign = height > 0 ? 1.0 : -1.0;

    step.Peak = sign > 0 ? *std::max_element(response.begin(), response.end())
                         : *std::min_element(response.begin(), response.end());
    step.OvershootPercent = std::max(0.0, (step.Peak - step.Final) / height * 100.0);

    const auto low = FirstCrossing(response, step.Initial + 0.1 * height, sign);
    const auto high = FirstCrossing(response, step.Initial + 0.9 * height, sign);
    if (low && high)
        step.RiseTimeMs = (*high - *low) * search.PeriodMs;

    // Settled once the response stays inside the band to the end of the record; the band
    // must hold over the tail, or the record ends before the response settles.
    const double band = search.Band * std::abs(height);
    std::size_t lastOutside = response.size();
    for (std::size_t i = response.size(); i-- > 0;) {
        if (std::abs(response[i] - step.Final) > band) {
            lastOutside = i;
            break;
        }
    }
    const std::size_t tailStart = response.size() - Tail(response).size();
    if (lastOutside == response.size())
        step.SettlingTimeMs = 0.0;
    else if (lastOutside < tailStart)
        step.SettlingTimeMs = static_cast<double>(lastOutside + 1) * search.PeriodMs;

    if (reference.size() == values.size())
        step.SteadyStateError = MeanOf(Tail(reference.subspan(stepAt))) - step.Final;
    return step;
}

std::optional<int> FindStepIndex(std::span<const double> reference) {
    if (reference.size() < 2)
        return std::nullopt;
    const double from = reference.front();
    const double height = MeanOf(Tail(reference)) - from;
    const double scale = std::max({std::abs(from), std::abs(from + height), 1e-12});
    if (std::abs(height) <= 1e-9 * scale)
        return std::nullopt;
    for (std::size_t i = 1; i < reference.size(); ++i)
        if ((reference[i] - from) / height > 0.1)
            return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> StepIndexOf(std::span<const double> reference) {
    if (reference.empty())
        return std::nullopt;
    const double start = reference.front();
    const auto [low, high] = std::minmax_element(reference.begin(), reference.end());
    const double extreme = std::abs(*high - start) >= std::abs(*low - start) ? *high : *low;
    const double half = (extreme - start) / 2;
    if (std::abs(half) <= 1e-9 * std::max({std::abs(start), std::abs(extreme), 1e-12}))
        return std::nullopt;
    for (std::size_t i = 0; i < reference.size(); ++i)
        if ((reference[i] - start) / half >= 1.0)
            return static_cast<int>(i);
    return std::nullopt;
}

} // namespace kelm
