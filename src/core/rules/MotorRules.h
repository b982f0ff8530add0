#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kelm {

// Registers of the motor page by kind (Power uses the Std numbers). 0: the control is
// hidden for the kind.
struct MotorAddresses {
    int Poles = 7;
    int Brake = 70; // bit 13
    int Feedback = 12;
    int Resolution = 9;
    int ResolverPoles = 8;
    int Phase = 11;
    int Step = 0;
    int RampMotor = 0;
    int VoltMotor = 0;
};
MotorAddresses MotorAddressTable(DeviceKind kind);
inline constexpr int BrakeBit = 1 << 13;

// One entry of a pole list: its text and the number stored for it.
struct PoleItem {
    QString Text;
    int Code;
};
// The even numbers from minimum to maximum, two digits ("02", "04", ...); with motor types
// "DC motor", "Stepper", "Asinchronous" after them, stored as -1, -2, -3.
std::vector<PoleItem> PoleItems(int minimum, int maximum, bool motorTypes);
// The resolver pole list: the even numbers from 2 to maximum.
std::vector<PoleItem> ResolverPoleItems(int maximum);
// The item standing for a stored number; -1 when none does.
int PoleIndex(const std::vector<PoleItem>& items, int code);
// A stored resolver pole count the list cannot show (0, or past the list) becomes 2.
int NormalizeResolverPoles(int value, int itemCount);

// The feedback names by code of the kind ("" for a code the kind never offers).
QStringList FeedbackNames(DeviceKind kind);
// The names offered in the list for the kind and model family.
QStringList FeedbackItems(DeviceKind kind, int modelFamily);
// The code of an offered name; -1 when the kind has no such name.
int FeedbackCode(DeviceKind kind, const QString& name);
// Drive and Orca 230 offer no resolver: a stored code 1 is taken as 0.
int NormalizeFeedback(DeviceKind kind, int code);

// Which of the resolution field and the resolver pole list a feedback code shows, and the
// caption beside them.
struct FeedbackLabels {
    QString Caption;
    bool Resolution = false;
    bool ResolverPoles = false;
};
FeedbackLabels LabelsForFeedback(DeviceKind kind, int code);

} // namespace kelm
