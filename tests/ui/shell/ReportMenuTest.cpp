// File > Commissioning Report: enabled on line, asks for the name through the dialog seam and
// writes the PDF with the last oscilloscope record when it was taken on the unit in use.
#include "ShellFixture.h"

#include "core/link/ModbusMaster.h"
#include "ui/shell/LastScopeRecord.h"

#include <QAction>

namespace kelm::test {
namespace {

class ReportMenuTest : public ShellFixture {};

TEST_F(ReportMenuTest, WritesThePdfWithThisUnitsScopeRecord) {
    Build();
    QAction* item = window_->MenuAction(Command::Report);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::tuple(item->text(), item->isEnabled()),
              std::tuple(QString::fromUtf8("Commissioning &Report\u2026"), false));
    GoOnline();
    EXPECT_TRUE(item->isEnabled());
    ScopeSnapshot scope{DeviceKind::Std, 0, QImage(64, 32, QImage::Format_RGB32), {}};
    scope.Picture.fill(Qt::darkGreen);
    const int unit = window_->Master().UnitAddress();
    for (const auto& [address, name] : {std::pair(unit + 1, "other.pdf"), {unit, "this.pdf"}}) {
        scope.Address = address;
        window_->ScopeRecordHolder()->Publish(scope);
        dialogs_->AnswerNextFile(Folder() + name);
        item->trigger();
        EXPECT_EQ(std::tuple(dialogs_->Files().back().Save,
                             dialogs_->Files().back().Request.DefaultExtension),
                  std::tuple(true, QString("pdf")));
        QFile pdf(Folder() + name);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = pdf.readAll();
        EXPECT_TRUE(bytes.startsWith("%PDF"));
        // The picture is embedded only for the unit it was taken on.
        EXPECT_EQ(bytes.contains("/Subtype /Image"), address == unit) << name;
    }
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
    dialogs_->AnswerNextFile(QString()); // Cancel writes nothing
    item->trigger();
    EXPECT_EQ(QDir(Folder()).entryList({"*.pdf"}).size(), 2);
}

} // namespace
} // namespace kelm::test
