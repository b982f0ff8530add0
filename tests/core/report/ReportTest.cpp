// The report's choice of parameters and changes, their display, and the HTML's escaping.
#include "core/params/ParamTable.h"
#include "core/report/CommissioningReport.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

// Value holds the default: the drive's value counts, not an unwritten one.
ParamEntry Entry(std::uint16_t address, char kind, std::int16_t def, std::int16_t drive) {
    return ParamEntry{
        QStringLiteral("R%1").arg(address), 'U', kind, address, -32768, 32767, def, def, 0, drive};
}

// Settings only (A, D, F), the pages' decimals and units, an analog offset in mV, a 32-bit
// pair as one row named after its low word; equal values and status words left out.
TEST(ReportParameters, DifferingSettingsAsThePagesShowThem) {
    struct Case {
        DeviceKind Kind;
        std::vector<ParamEntry> Entries;
        QStringList Expected;
    };
    const std::vector<Case> cases{
        {DeviceKind::Std,
         {Entry(0, 'N', 266, 300), Entry(5, 'F', 0, 7), Entry(13, 'D', 50, 60),
          Entry(27, 'A', 5, 15), Entry(29, 'A', 0, 3277), Entry(31, 'A', 3000, 3000),
          Entry(36, 'A', 10, -1)},
         {"5 R5 7  0", "13 R13 60 % 50", "27 R27 1,5 ms 0,5", "29 R29 1000,0 mV 0,0",
          "36 R36 -1 ms 10"}},
        {DeviceKind::Drive,
         {Entry(60, 'A', 0, 1), Entry(61, 'A', 0, 0), Entry(71, 'A', 0, -5)},
         {"61 R61 65536 pulses 0", "71 R71 -0,5 ms 0,0"}},
        {DeviceKind::Drive, {Entry(60, 'A', 0, 0), Entry(61, 'A', 0, 0)}, {}},
    };
    for (const Case& c : cases) {
        ParamTable table;
        for (const ParamEntry& e : c.Entries)
            table.Add(e);
        QStringList rows;
        for (const ReportParameter& r : DifferingParameters(table, c.Kind))
            rows << QStringList{QString::number(r.Address), r.Name, r.Value, r.Unit, r.Default}
                        .join(' ');
        EXPECT_EQ(rows, c.Expected);
    }
}

// This drive's entries from the start of the session: a write that kept its value is left
// out unless it failed; commands are listed without values.
TEST(ReportChanges, ThisDrivesChangesSinceTheStart) {
    const QDateTime start(QDate(2024, 5, 2), QTime(8, 0));
    const ReportDrive drive{DeviceKind::Std, "Device", {"ZEPHON", "10", "2.3"}, "/dev/x", 1};
    const auto entry = [&](int minute, int address, int old, int now,
                           JournalResult result = JournalResult::Written) {
        JournalEntry e;
        std::tie(e.Time, e.Address, e.Kind, e.Identity, e.Register, e.Name) =
            std::tuple(start.addSecs(minute * 60), address, "Device", drive.Identity, 27, "PID");
        std::tie(e.OldValue, e.NewValue, e.Result, e.Change) =
            std::tuple(old, now, result, static_cast<std::uint64_t>(minute));
        return e;
    };
    JournalEntry command = entry(6, 1, 0, 0), otherDrive = entry(7, 1, 5, 6);
    command.Register = command.OldValue = command.NewValue = std::nullopt;
    command.Command = "EEPROM save";
    otherDrive.Identity.Firmware = "2.4";
    JournalEntry unnamed = entry(5, 1, 15, 25); // a raw write: named from the table
    unnamed.Name.clear();
    ParamTable table;
    table.Add(Entry(27, 'A', 5, 25));
    QStringList listed;
    for (const ReportChange& c :
         SessionChanges({entry(-1, 1, 5, 6), entry(1, 1, 5, 15), entry(2, 1, 15, 15),
                         entry(3, 1, 15, 15, JournalResult::Failed), entry(4, 2, 5, 6), unnamed,
                         command, otherDrive},
                        drive, start, table))
        listed << QString::number(c.Change) + ' ' + c.Register + ' ' + c.Name + ' ' + c.OldValue +
                      ' ' + c.NewValue + c.Unit + ' ' + c.Result;
    EXPECT_EQ(listed, QStringList({"1 27 PID 0,5 1,5ms written", "3 27 PID 1,5 1,5ms failed",
                                   "5 27 R27 1,5 2,5ms written", "6  EEPROM save   written"}));
}

// Every text from the drive, the journal or the system is escaped; the picture only appears
// when named.
TEST(ReportHtml, TextsAreEscaped) {
    const std::pair<QString, QString> cases[] = {{"<b>Kp</b>", "&lt;b&gt;Kp&lt;/b&gt;"},
                                                 {"a & b", "a &amp; b"},
                                                 {"say \"x\"", "say &quot;x&quot;"}};
    for (const auto& [raw, escaped] : cases) {
        SCOPED_TRACE(raw.toStdString());
        CommissioningReport report;
        report.UserName = report.Drive.Port = raw;
        report.Parameters.push_back({27, raw, "1", "2", "ms"});
        report.Changes.emplace_back().Action = raw;
        report.Changes.back().Time = QDateTime(QDate(2024, 5, 2), QTime(8, 1));
        const QString html = ReportHtml(report);
        EXPECT_EQ(html.count(escaped), 4);
        EXPECT_TRUE(html.contains(">2024-05-02<br>08:01:00<")); // the date above the time
        EXPECT_FALSE(html.contains(raw) || html.contains("<img"));
        report.PictureName = raw;
        EXPECT_TRUE(ReportHtml(report).contains("<img src=\"" + escaped + "\""));
    }
}

} // namespace
} // namespace kelm
