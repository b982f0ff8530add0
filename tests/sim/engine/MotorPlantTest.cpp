#include "sim/engine/MotorPlant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace kelm::sim;

namespace {

struct Response {
    double overshoot = 0;  // % of the step
    int crossings = 0;     // sign changes of the error beyond 2 % of the step
    double final = 0;      // speed after 1 s
    double maxSpeed = 0;   // |speed|
    double maxCurrent = 0; // |current|
    double referenceAt50 = 0;
};

// One second of an enabled drive after its reference steps from rest to `rpm`.
Response StepResponse(const MotorSettings& settings, double rpm, double load) {
    MotorPlant plant;
    plant.SetLoadPercent(load);
    Response r;
    int side = 1;
    for (int i = 1; i <= 4000; ++i) {
        plant.Step(settings, rpm, true, true);
        const double error = rpm - plant.Speed();
        if (error * side < -0.02 * rpm) {
            side = -side;
            ++r.crossings;
        }
        r.maxSpeed = std::max(r.maxSpeed, std::abs(plant.Speed()));
        r.maxCurrent = std::max(r.maxCurrent, std::abs(plant.Current()));
        if (i == 200)
            r.referenceAt50 = plant.Reference();
    }
    r.overshoot = (r.maxSpeed - rpm) / rpm * 100;
    r.final = plant.Speed();
    return r;
}

} // namespace

// The direction of each gain's effect on a step, and the limits, against the shipped defaults.
TEST(SimMotorPlant, GainsLoadAndLimitsMoveTheStepTheirWay) {
    MotorSettings base;
    base.accelerationRamp = base.decelerationRamp = 0;
    const auto with = [&](const std::function<void(MotorSettings&)>& change) {
        MotorSettings settings = base;
        change(settings);
        return settings;
    };
    const Response normal = StepResponse(base, 100, 0);
    EXPECT_TRUE(normal.overshoot > 10 && normal.overshoot < 30 && normal.crossings <= 2 &&
                std::abs(normal.final - 100) < 1)
        << normal.overshoot << " " << normal.crossings << " " << normal.final;
    const MotorSettings pOnly = with([](MotorSettings& s) { s.speedKi = 0; });
    const double unloaded = StepResponse(pOnly, 100, 0).final;

    struct Row {
        const char* what;
        MotorSettings settings;
        double rpm, load;
        std::function<bool(const Response&)> holds;
    };
    const Row rows[] = {
        {"KI doubled overshoots more", with([](MotorSettings& s) { s.speedKi *= 2; }), 100, 0,
         [&](const Response& r) { return r.overshoot > normal.overshoot + 5; }},
        {"KP doubled overshoots less", with([](MotorSettings& s) { s.speedKp *= 2; }), 100, 0,
         [&](const Response& r) { return r.overshoot < normal.overshoot - 5; }},
        {"KP x20 rings", with([](MotorSettings& s) { s.speedKp *= 20; }), 100, 0,
         [](const Response& r) { return r.crossings >= 5; }},
        {"a load lowers the speed under P alone", pOnly, 100, 20,
         [&](const Response& r) { return r.final < unloaded - 5 && r.final > 0; }},
        {"the speed limit holds", with([](MotorSettings& s) { s.speedLimit = 1000; }), 5000, 0,
         [](const Response& r) { return r.maxSpeed <= 1000 && r.final > 990; }},
        {"the current limit holds", with([](MotorSettings& s) { s.peakCurrent = 50; }), 1000, 0,
         [](const Response& r) { return r.maxCurrent <= 50 && r.maxCurrent > 49; }},
        {"the acceleration ramp paces the reference",
         with([](MotorSettings& s) { s.accelerationRamp = 1000; }), 600, 0,
         [](const Response& r) { return std::abs(r.referenceAt50 - 150) < 1; }},
    };
    for (const Row& row : rows) {
        const Response r = StepResponse(row.settings, row.rpm, row.load);
        EXPECT_TRUE(row.holds(r)) << row.what << ": overshoot " << r.overshoot << " %, crossings "
                                  << r.crossings << ", final " << r.final << ", max speed "
                                  << r.maxSpeed << ", max current " << r.maxCurrent;
    }
}
