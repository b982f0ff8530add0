#include "sim/engine/ControlCommands.h"

#include "sim/engine/behaviours/CommandHandshake.h"
#include "sim/engine/behaviours/DriveProcedures.h"
#include "sim/engine/behaviours/LiveStatus.h"
#include "sim/engine/behaviours/Motor.h"
#include "sim/engine/behaviours/ScopeRecorder.h"

#include <QStringList>
#include <optional>

namespace kelm::sim {

namespace {

std::optional<long long> Number(const QString& text, long long min, long long max) {
    bool ok = false;
    const long long value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                ? text.mid(2).toLongLong(&ok, 16)
                                : text.toLongLong(&ok, 10);
    if (!ok || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// The motion profile registers a new drive comes with cleared.
constexpr std::uint16_t ProfileFirst = 256;
constexpr std::uint16_t ProfileLast = 831;

std::optional<bool> Switch(const QString& text) {
    if (text == QLatin1String("on")) {
        return true;
    }
    if (text == QLatin1String("off")) {
        return false;
    }
    return std::nullopt;
}

ControlResult Fail(const QString& message) {
    return {false, false, message};
}
ControlResult Done(const QString& message) {
    return {true, false, message};
}

// The devices an <addr> argument names; empty when none matches.
std::vector<Device*> Targets(Engine& engine, const QString& text) {
    if (text == QLatin1String("*")) {
        return engine.Devices();
    }
    const auto address = Number(text, 1, 255);
    Device* device = address ? engine.FindDevice(static_cast<std::uint8_t>(*address)) : nullptr;
    return device ? std::vector<Device*>{device} : std::vector<Device*>{};
}

ControlResult LineSwitch(bool& field, const QStringList& words) {
    const auto on = words.size() == 2 ? Switch(words[1]) : std::nullopt;
    if (!on) {
        return Fail(QStringLiteral("usage: %1 on|off").arg(words[0]));
    }
    field = *on;
    return Done(QStringLiteral("%1 %2").arg(words[0], words[1]));
}

ControlResult DeviceCommand(Engine& engine, const QStringList& words, std::uint32_t nowMs) {
    const QString& verb = words[0];
    const std::vector<Device*> targets = Targets(engine, words[1]);
    if (targets.empty()) {
        return Fail(QStringLiteral("no device at %1").arg(words[1]));
    }
    if (verb == QLatin1String("set") && words.size() == 4) {
        const auto reg = Number(words[2], 0, 65535);
        const auto value = Number(words[3], -32768, 65535);
        if (!reg || !value) {
            return Fail(QStringLiteral("usage: set <addr> <reg> <value>"));
        }
        for (Device* device : targets) {
            device->Registers().Set(static_cast<std::uint16_t>(*reg),
                                    static_cast<std::uint16_t>(*value & 0xFFFF));
        }
    } else if (verb == QLatin1String("replace") && (words.size() == 3 || words.size() == 4)) {
        // Another drive of the same kind in the unit's place: its own model and firmware
        // words, factory settings, no profiles.
        const auto model = Number(words[2], 0, 65535);
        const auto firmware = words.size() == 4 ? Number(words[3], 0, 65535) : std::nullopt;
        if (!model || (words.size() == 4 && !firmware)) {
            return Fail(QStringLiteral("usage: replace <addr> <model> [<firmware>]"));
        }
        for (Device* device : targets) {
            RegisterBank& registers = device->Registers();
            const auto nextFirmware = static_cast<std::uint16_t>(registers.Get(2) + 1);
            device->LoadDefaults();
            for (std::uint16_t reg = ProfileFirst; reg <= ProfileLast; ++reg) {
                registers.Set(reg, 0);
            }
            registers.Set(0, static_cast<std::uint16_t>(*model));
            registers.Set(2, firmware ? static_cast<std::uint16_t>(*firmware) : nextFirmware);
        }
    } else if (verb == QLatin1String("alarm") && words.size() == 3) {
        const auto bits = Number(words[2], 0, 0xFFFFFFFFLL);
        if (!bits) {
            return Fail(QStringLiteral("usage: alarm <addr> <bits>"));
        }
        for (Device* device : targets) {
            device->SetAlarms(static_cast<std::uint32_t>(*bits));
        }
    } else if (verb == QLatin1String("silentafter") && words.size() == 3) {
        const auto writes = Number(words[2], 0, 1000000);
        if (!writes) {
            return Fail(QStringLiteral("usage: silentafter <addr> <writes>"));
        }
        for (Device* device : targets) {
            device->SilenceAfterWrites(static_cast<int>(*writes));
        }
    } else if (verb == QLatin1String("cmddelay") && words.size() == 3) {
        const auto ms = Number(words[2], 0, 600000);
        if (!ms) {
            return Fail(QStringLiteral("usage: cmddelay <addr> <ms>"));
        }
        for (Device* device : targets) {
            if (auto* handshake = device->Find<CommandHandshake>()) {
                handshake->SetClearDelay(static_cast<std::uint32_t>(*ms));
            }
        }
    } else if (verb == QLatin1String("input") && (words.size() == 3 || words.size() == 4)) {
        // input <addr> <bits>: every wire; input <addr> <row> on|off: one wire
        const auto first = Number(words[2], 0, 0xFFFF);
        const auto on = words.size() == 4 ? Switch(words[3]) : std::nullopt;
        if (!first || (words.size() == 4 && (!on || *first > 10))) {
            return Fail(QStringLiteral("usage: input <addr> <bits> | input <addr> <row> on|off"));
        }
        for (Device* device : targets) {
            if (auto* live = device->Find<LiveStatus>()) {
                std::uint16_t wires = static_cast<std::uint16_t>(*first);
                if (on) {
                    const auto bit = static_cast<std::uint16_t>(1u << *first);
                    wires = *on ? live->Wires() | bit : live->Wires() & ~bit;
                }
                live->SetWires(*device, wires);
            }
        }
    } else if (verb == QLatin1String("load") && words.size() == 3) {
        const auto percent = Number(words[2], 0, 1000);
        if (!percent) {
            return Fail(QStringLiteral("usage: load <addr> <percent> (0..1000)"));
        }
        int motors = 0;
        for (Device* device : targets) {
            if (auto* motor = device->Find<Motor>()) {
                motor->AdvanceTo(*device, nowMs); // the load starts now
                motor->SetLoadPercent(static_cast<double>(*percent));
                ++motors;
            }
        }
        if (motors == 0) {
            return Fail(QStringLiteral("no motor at %1").arg(words[1]));
        }
    } else if (verb == QLatin1String("procdelay") && words.size() == 3) {
        const auto ms = Number(words[2], 0, 600000);
        if (!ms) {
            return Fail(QStringLiteral("usage: procdelay <addr> <ms>"));
        }
        for (Device* device : targets) {
            if (auto* procedures = device->Find<DriveProcedures>()) {
                procedures->SetDelay(static_cast<std::uint32_t>(*ms));
            }
        }
    } else if (verb == QLatin1String("procfault") && words.size() == 3) {
        static const QStringList names{QStringLiteral("off"), QStringLiteral("hang"),
                                       QStringLiteral("enabled")};
        const auto index = names.indexOf(words[2]);
        if (index < 0) {
            return Fail(QStringLiteral("usage: procfault <addr> off|hang|enabled"));
        }
        for (Device* device : targets) {
            if (auto* procedures = device->Find<DriveProcedures>()) {
                procedures->Tick(*device, nowMs); // requests due until now finish first
                procedures->SetFault(static_cast<DriveProcedures::Fault>(index));
            }
        }
    } else if (words.size() == 3 && Switch(words[2]) &&
               (verb == QLatin1String("silent") || verb == QLatin1String("cmdfault") ||
                verb == QLatin1String("live") || verb == QLatin1String("scopehang"))) {
        const bool on = *Switch(words[2]);
        for (Device* device : targets) {
            if (verb == QLatin1String("silent")) {
                device->SetSilent(on);
            } else if (verb == QLatin1String("scopehang")) {
                if (auto* recorder = device->Find<ScopeRecorder>()) {
                    recorder->SetHang(on);
                }
            } else if (verb == QLatin1String("cmdfault")) {
                if (auto* handshake = device->Find<CommandHandshake>()) {
                    handshake->SetStatusFault(on);
                }
            } else if (auto* live = device->Find<LiveStatus>()) {
                live->Tick(*device, nowMs); // bring values up to now before freezing
                live->SetFrozen(!on);
            }
        }
    } else {
        return Fail(QStringLiteral("bad arguments for %1").arg(verb));
    }
    return Done(words.join(QLatin1Char(' ')));
}

} // namespace

ControlResult ApplyControlCommand(Engine& engine, const QString& line, std::uint32_t nowMs) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return Fail(QStringLiteral("empty command"));
    }
    auto lock = engine.Lock();
    Faults& faults = engine.LineFaults();
    const QString& verb = words[0];
    if (verb == QLatin1String("quit") && words.size() == 1) {
        return {true, true, QStringLiteral("quit")};
    }
    if (verb == QLatin1String("hangup") && words.size() == 1) {
        return {true, false, QStringLiteral("hangup"), true};
    }
    if (verb == QLatin1String("exception")) {
        const auto code = words.size() == 2 ? Number(words[1], 0, 255) : std::nullopt;
        if (!code) {
            return Fail(QStringLiteral("usage: exception <code>"));
        }
        faults.exceptionCode = static_cast<std::uint8_t>(*code);
        return Done(words.join(QLatin1Char(' ')));
    }
    if (verb == QLatin1String("wrongfunc")) {
        return LineSwitch(faults.wrongFunction, words);
    }
    if (verb == QLatin1String("drop") || verb == QLatin1String("delay")) {
        const auto value = words.size() == 2 ? Number(words[1], 0, 600000) : std::nullopt;
        if (!value) {
            return Fail(QStringLiteral("usage: %1 <number>").arg(verb));
        }
        (verb == QLatin1String("drop") ? faults.dropEvery : faults.delayMs) =
            static_cast<std::uint32_t>(*value);
        return Done(words.join(QLatin1Char(' ')));
    }
    if (verb == QLatin1String("badcrc")) {
        return LineSwitch(faults.badCrc, words);
    }
    if (verb == QLatin1String("wrongaddr")) {
        return LineSwitch(faults.wrongAddress, words);
    }
    if (verb == QLatin1String("wrongcount")) {
        return LineSwitch(faults.wrongCount, words);
    }
    if (verb == QLatin1String("truncate")) {
        return LineSwitch(faults.truncate, words);
    }
    if (verb == QLatin1String("trailing")) {
        return LineSwitch(faults.trailing, words);
    }
    if (verb == QLatin1String("faults") && words.size() == 2 && words[1] == QLatin1String("off")) {
        faults = Faults{};
        for (Device* device : engine.Devices()) {
            device->SetSilent(false);
        }
        return Done(QStringLiteral("faults off"));
    }
    static const QStringList deviceVerbs{
        QStringLiteral("set"),    QStringLiteral("silent"),    QStringLiteral("silentafter"),
        QStringLiteral("alarm"),  QStringLiteral("cmddelay"),  QStringLiteral("cmdfault"),
        QStringLiteral("live"),   QStringLiteral("procdelay"), QStringLiteral("procfault"),
        QStringLiteral("input"),  QStringLiteral("scopehang"), QStringLiteral("load"),
        QStringLiteral("replace")};
    if (deviceVerbs.contains(verb) && words.size() >= 3) {
        return DeviceCommand(engine, words, nowMs);
    }
    return Fail(QStringLiteral("unknown command: %1").arg(line.simplified()));
}

QString ControlCommandHelp() {
    return QStringLiteral(
        "      set <addr> <reg> <value>   set a register (as the drive itself would)\n"
        "      silent <addr> on|off       the device stops/starts answering\n"
        "      silentafter <addr> <n>     the device falls silent after n more writes\n"
        "      scopehang <addr> on|off    the recorder never completes a record\n"
        "      drop <k>                   every k-th reply is lost (0: off)\n"
        "      badcrc on|off              replies carry a wrong CRC\n"
        "      wrongaddr on|off           replies name another device address\n"
        "      wrongcount on|off          replies carry a wrong byte/register count\n"
        "      truncate on|off            the last byte of each reply is missing\n"
        "      trailing on|off            two extra bytes follow each reply\n"
        "      wrongfunc on|off           replies name function + 1\n"
        "      exception <code>           every request gets an exception reply (0: off)\n"
        "      hangup                     hang up the terminal; a new one replaces it\n"
        "      delay <ms>                 replies start this much later\n"
        "      alarm <addr> <bits>        raise alarms (32-bit; 0 clears the active alarms)\n"
        "      cmddelay <addr> <ms>       time until the command bits clear\n"
        "      cmdfault <addr> on|off     status bit 0 set after every command\n"
        "      live <addr> on|off         live values move / stay as set\n"
        "      input <addr> <bits>        wire states of the digital inputs (bit i = row i)\n"
        "      input <addr> <row> on|off  one input's wire\n"
        "      load <addr> <percent>      load torque on the motor, % of rated torque\n"
        "      replace <addr> <model> [<firmware>]\n"
        "                                 another drive in its place: register 0 = model,\n"
        "                                 register 2 = firmware (default: one more), factory\n"
        "                                 settings, profiles cleared\n"
        "      procdelay <addr> <ms>      time a procedure (phasing, offset) takes\n"
        "      procfault <addr> off|hang|enabled\n"
        "                                 procedures never finish / phasing ends enabled\n"
        "      faults off                 all line faults off, all devices answering\n"
        "      quit                       end the simulator\n"
        "      <addr> is a device address or * for all devices; numbers may be 0x-hex.\n");
}

} // namespace kelm::sim
