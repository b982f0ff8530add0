// kelmctl read / write: raw register access through the serial master.
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/DriveSession.h"
#include "cli/Output.h"
#include "cli/StderrMessages.h"
#include "cli/Stopping.h"
#include "core/common/KindDescriptor.h"
#include "core/drive/DriveIdentity.h"
#include "core/drive/TableTransfer.h"
#include "core/drive/WriteJournal.h"
#include "core/link/RegisterFrames.h"
#include "core/params/ParamTable.h"
#include "core/rules/UnitIdentity.h"
#include "core/seams/Messages.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <vector>

namespace kelm::cli {
namespace {

constexpr std::uint32_t ReplyTimeoutMs = 100;
constexpr std::uint32_t LastAddress = 0xFFFF;
constexpr std::uint32_t OldValueTimeoutMs = 1000;

void BadValue(const char* what, const QString& text) {
    std::fprintf(stderr, "kelmctl: bad %s: %s\n", what, text.toLocal8Bit().constData());
}

// A register value: 0..65535, or -32768..-1 for signed parameter values.
std::optional<std::uint16_t> ParseRegisterValue(const QString& text) {
    if (text.startsWith(u'-')) {
        bool ok = false;
        const int value = text.toInt(&ok, 10);
        if (!ok || value < -32768) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>(value);
    }
    const auto value = ParseNumber(text, 0xFFFF);
    return value ? std::optional<std::uint16_t>(static_cast<std::uint16_t>(*value)) : std::nullopt;
}

// A write to address 0 reaches every drive on the line and none answers it: each block is
// sent once, with a reply window's pause between blocks for the drives to take it.
int Broadcast(ModbusMaster& master, std::uint16_t address,
              const std::vector<std::uint16_t>& values) {
    std::array<std::uint8_t, ModbusMaster::FrameSize> frame{};
    for (std::size_t done = 0; done < values.size();) {
        if (StopRequested()) {
            ShowError(TableTransfer::PartialWriteText(static_cast<int>(done),
                                                      static_cast<int>(values.size())));
            return 1;
        }
        if (done > 0)
            PauseUnlessStopped(ReplyTimeoutMs);
        const std::size_t block =
            std::min<std::size_t>(values.size() - done, ModbusMaster::MaxRegisters);
        const std::size_t size = frames::BuildWriteRequest(
            master.IsLinkMode(), 0, static_cast<std::uint16_t>(address + done),
            std::span<const std::uint16_t>(values.data() + done, block), frame.data());
        if (master.Channel().Write(frame.data(), size) != static_cast<long>(size)) {
            PrintMessage(QStringLiteral("the broadcast could not be sent on the port"));
            return 1;
        }
        done += block;
    }
    PrintMessage(QStringLiteral("%1 register(s) sent once to address 0 (broadcast): no drive "
                                "answers a broadcast, so nothing confirms the write")
                     .arg(values.size()));
    return 0;
}

// The journal of a raw write: no drive model, so the old values are read from the drive
// itself (where the register answers) and a plain drive's identity from its identification
// registers. On a link the unit's kind is not looked up: the entries name none.
class RawJournal {
public:
    RawJournal(ModbusMaster& master, const QString& port, bool link)
        : master_(master), unit_{master.GetPort(), link, master.UnitAddress(), DeviceKind::Std},
          journal_(
              Journal::Options{JournalPath()}, QStringLiteral("kelmctl"),
              [this, port, link](const UnitInUse&) {
                  return JournalContext{{},
                                        port,
                                        link ? QString()
                                             : QString::fromLatin1(Describe(DeviceKind::Std).Text),
                                        identity_};
              },
              [](const QString& note) { PrintMessage(note); }) {
        journal_.GroupUnscopedAs(QStringLiteral("kelmctl ") +
                                 QCoreApplication::arguments().mid(1).join(QLatin1Char(' ')));
        if (link || unit_.Address == 0)
            return;
        ParamTable table = ParamTable::MakeSynthetic(QString(), 0, IdentityRegisters.back());
        for (ParamEntry& entry : table)
            if (const auto word = ReadQuietly(entry.Address))
                entry.Value = entry.DriveValue = static_cast<std::int16_t>(*word);
        identity_ = IdentityOf(DeviceKind::Std, table);
    }

    // The values held before a block is written; all empty when the block cannot be read
    // (one read per block keeps a raw write as quick as before).
    std::vector<std::optional<int>> OldValues(std::uint16_t first, std::size_t count) {
        std::vector<std::optional<int>> old(count);
        std::vector<std::uint16_t> words(count);
        // One try with a wide window: a late reply to a failed try would meet the write.
        if (master_.ReadRegistersOnce(first, words.data(), static_cast<std::uint8_t>(count),
                                      OldValueTimeoutMs))
            for (std::size_t i = 0; i < count; ++i)
                old[i] = static_cast<std::int16_t>(words[i]);
        return old;
    }

    void Record(std::uint16_t first, const std::uint16_t* values,
                const std::vector<std::optional<int>>& old, bool written) {
        for (std::size_t i = 0; i < old.size(); ++i) {
            WriteRecord record;
            record.Gate.Target = unit_;
            record.Gate.Address = static_cast<std::uint16_t>(first + i);
            record.Gate.Value = values[i];
            record.Gate.Admitted = true;
            record.OldValue = old[i];
            record.Result = written ? JournalResult::Written : JournalResult::Failed;
            record.Raw = true;
            journal_.Record(record);
        }
    }

private:
    std::optional<std::uint16_t> ReadQuietly(std::uint16_t address) {
        std::uint16_t word = 0;
        if (master_.ReadRegistersOnce(address, &word, 1, OldValueTimeoutMs))
            return word;
        return std::nullopt;
    }

    ModbusMaster& master_;
    UnitInUse unit_;
    JournalIdentity identity_;
    WriteJournal journal_;
};

} // namespace

// Reads COUNT registers from ADDR in blocks of at most 40 and prints "ADDR<TAB>VALUE" per
// register (unsigned decimal), or a record {address, value} per register. Failures are
// reported by the master ("Device not Respondig"). A stop signal ends it after the block in
// hand.
int RunRead(const QStringList& arguments, const CliOptions&) {
    CommandLine line("read", "ADDR [COUNT]");
    AddFormatOption(line);
    if (const auto exit = line.Parse(arguments))
        return *exit;
    const auto format = ReadFormat(line);
    if (!format)
        return 2;
    const QStringList& words = line.Positional();
    const ConnectionOptions& connection = line.Connection();
    if (words.isEmpty() || words.size() > 2) {
        return line.Usage();
    }
    const auto address = ParseNumber(words[0], LastAddress);
    if (!address) {
        BadValue("register address", words[0]);
        return 2;
    }
    const auto count = words.size() > 1 ? ParseNumber(words[1], LastAddress + 1 - *address)
                                        : std::optional<std::uint32_t>(1);
    if (!count || *count == 0) {
        BadValue("register count", words.value(1));
        return 2;
    }
    QString port;
    const auto master = OpenConnection(connection, &port);
    if (!master) {
        return 1;
    }
    std::vector<std::uint16_t> values(ModbusMaster::MaxRegisters);
    for (std::uint32_t done = 0; done < *count;) {
        if (StopRequested()) {
            std::fflush(stdout);
            ShowError(PartialReadText(static_cast<int>(done), static_cast<int>(*count)));
            return 1;
        }
        const auto block = static_cast<std::uint8_t>(
            std::min<std::uint32_t>(*count - done, ModbusMaster::MaxRegisters));
        const auto first = static_cast<std::uint16_t>(*address + done);
        if (!master->ReadRegisters(first, values.data(), block, ReplyTimeoutMs, true)) {
            ReportNoAnswer(connection.Address, port);
            return 1;
        }
        for (std::uint8_t i = 0; i < block; ++i) {
            PrintRecord(*format, Record()
                                     .Add(QStringLiteral("address"), first + i)
                                     .Add(QStringLiteral("value"), values[i]));
        }
        done += block;
    }
    std::fflush(stdout);
    return 0;
}

// Writes the VALUEs to consecutive registers from ADDR, in blocks of at most 40; a stop
// signal ends it after the block in hand. To address 0 (broadcast) each block goes once and
// no reply is awaited.
int RunWrite(const QStringList& arguments, const CliOptions&) {
    CommandLine line("write", "ADDR VALUE...");
    line.AcceptBroadcast();
    if (const auto exit = line.Parse(arguments))
        return *exit;
    QStringList words = line.Positional();
    const ConnectionOptions& connection = line.Connection();
    if (words.size() < 2) {
        return line.Usage();
    }
    const QString addressWord = words.takeFirst();
    const auto address = ParseNumber(addressWord, LastAddress);
    if (!address) {
        BadValue("register address", addressWord);
        return 2;
    }
    if (static_cast<std::uint32_t>(words.size()) > LastAddress + 1 - *address) {
        std::fprintf(stderr, "kelmctl: the block runs past register 65535\n");
        return 2;
    }
    std::vector<std::uint16_t> values;
    for (const QString& word : words) {
        const auto value = ParseRegisterValue(word);
        if (!value) {
            BadValue("register value", word);
            return 2;
        }
        values.push_back(*value);
    }
    QString port;
    const auto master = OpenConnection(connection, &port);
    if (!master) {
        return 1;
    }
    RawJournal journal(*master, port, connection.LinkMode);
    if (connection.Address == 0) {
        const int code = Broadcast(*master, static_cast<std::uint16_t>(*address), values);
        journal.Record(static_cast<std::uint16_t>(*address), values.data(),
                       std::vector<std::optional<int>>(values.size()), code == 0);
        return code;
    }
    for (std::size_t done = 0; done < values.size();) {
        if (StopRequested()) {
            ShowError(TableTransfer::PartialWriteText(static_cast<int>(done),
                                                      static_cast<int>(values.size())));
            return 1;
        }
        const auto block = static_cast<std::uint8_t>(
            std::min<std::size_t>(values.size() - done, ModbusMaster::MaxRegisters));
        const auto first = static_cast<std::uint16_t>(*address + done);
        const auto old = journal.OldValues(first, block);
        const bool written =
            master->WriteRegisters(first, values.data() + done, block, ReplyTimeoutMs, true);
        journal.Record(first, values.data() + done, old, written);
        if (!written) {
            ReportNoAnswer(connection.Address, port);
            return 1;
        }
        done += block;
    }
    return 0;
}

} // namespace kelm::cli
