#include "ui/alarms/TFAllarms.h"

#include "core/config/ConfigurationSet.h"
#include "core/drive/TDriver.h"
#include "core/seams/Messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace kelm {

namespace {

constexpr int LampSize = 14;
constexpr int PictureSize = 16;

QString LampStyle(bool lit) {
    return QStringLiteral("border: 1px solid gray; border-radius: %1px; background: %2;")
        .arg(LampSize / 2)
        .arg(lit ? QStringLiteral("red") : QStringLiteral("palette(button)"));
}

} // namespace

TFAllarms::TFAllarms(const QStringList& texts, WordSource words, ResetAction reset, QWidget* parent)
    : QWidget(parent), words_(std::move(words)), resetAction_(std::move(reset)) {
    setWindowTitle(QStringLiteral("Alarms"));
    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(1);
    // Two columns of 16 rows.
    for (int i = 0; i < RowCount; ++i) {
        Row& row = rows_[static_cast<std::size_t>(i)];
        row.Lamp = new QLabel;
        row.Lamp->setFixedSize(LampSize, LampSize);
        row.Lamp->setStyleSheet(LampStyle(false));
        row.Latch = new QLabel;
        row.Latch->setFixedSize(PictureSize, PictureSize);
        row.Text = new QLabel(i < texts.size() ? texts.at(i) : QString());
        const int line = i % 16;
        const int column = (i / 16) * 3;
        grid->addWidget(row.Lamp, line, column);
        grid->addWidget(row.Latch, line, column + 1);
        grid->addWidget(row.Text, line, column + 2);
        ShowLatch(row, false);
    }
    latchRepaints_ = 0;
    // Alt+R belongs to the main window's drive menu.
    reset_ = new QPushButton(QStringLiteral("Reset &Historic Alarms"));
    grid->addWidget(reset_, 16, 0, 1, 6);
    connect(reset_, &QPushButton::clicked, this, &TFAllarms::ResetClicked);
    Refresh();
}

TFAllarms* TFAllarms::Create(TDriver& driver, QWidget* parent) {
    return new TFAllarms(
        driver.Config().ActiveAlarmTexts(),
        [&driver] { return ReadAlarmWords(driver.ActiveTable(), driver.CurrentKind()); },
        [&driver] { return driver.ResetAlarms(); }, parent);
}

QString TFAllarms::RowText(int row) const {
    return rows_.at(row).Text->text();
}

void TFAllarms::ShowLatch(Row& row, bool latched) {
    const QStyle::StandardPixmap picture =
        latched ? QStyle::SP_MessageBoxWarning : QStyle::SP_DialogApplyButton;
    row.Latch->setPixmap(style()->standardIcon(picture).pixmap(PictureSize, PictureSize));
    row.Latched = latched;
    ++latchRepaints_;
}

void TFAllarms::Refresh() {
    const AlarmWords words = words_ ? words_() : AlarmWords{};
    for (int i = 0; i < RowCount; ++i) {
        Row& row = rows_[static_cast<std::size_t>(i)];
        const bool lit = AlarmBit(words.Active, i);
        if (lit != row.Lit) {
            row.Lit = lit;
            row.Lamp->setStyleSheet(LampStyle(lit));
        }
        const bool latched = AlarmBit(words.Historic, i);
        if (latched != row.Latched)
            ShowLatch(row, latched);
    }
}

void TFAllarms::SetOnline(bool online) {
    reset_->setEnabled(online);
}

void TFAllarms::ResetClicked() {
    if (!AskConfirm(QStringLiteral("Reset All Alarms? ")))
        return;
    setEnabled(false);
    if (resetAction_)
        resetAction_();
    setEnabled(true);
    setFocus();
}

} // namespace kelm
