#include "ui/widgets/TPNumEdit.h"
#include "ui/widgets/ChangeMark.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QPalette>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kelm {

namespace {

// Far beyond any 32-bit limit, small enough to keep the arithmetic exact.
constexpr double LargestTyped = 1e15;

bool IsEnter(const QKeyEvent& event) {
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
}

// A plain decimal ("-12.5", "3.", ".25") read digit by digit into units of 10^-dec,
// truncated: going through a double would turn 1.15 into 114.999... hundredths. false for
// any other form (exponents and the like are left to the floating-point reader).
bool ReadPlainDecimal(const QString& text, int dec, std::int64_t& value) {
    const QString trimmed = text.trimmed();
    int i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == QLatin1Char('-') || trimmed[i] == QLatin1Char('+')))
        negative = trimmed[i++] == QLatin1Char('-');
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int decimals = 0;
    int digits = 0;
    bool point = false;
    for (; i < trimmed.size(); ++i) {
        const QChar ch = trimmed[i];
        if (ch == QLatin1Char('.') && !point) {
            point = true;
            continue;
        }
        if (!ch.isDigit() || ch.unicode() > '9')
            return false;
        const int digit = ch.unicode() - '0';
        ++digits;
        if (!point) {
            whole =
                std::min<std::int64_t>(whole * 10 + digit, static_cast<std::int64_t>(LargestTyped));
        } else if (decimals < dec) {
            fraction = fraction * 10 + digit;
            ++decimals;
        }
    }
    if (digits == 0)
        return false;
    for (; decimals < dec; ++decimals)
        fraction *= 10;
    std::int64_t scale = 1;
    for (int d = 0; d < dec; ++d)
        scale *= 10;
    const auto largest = static_cast<std::int64_t>(LargestTyped);
    const std::int64_t magnitude =
        whole > largest / scale ? largest : std::min(whole * scale + fraction, largest);
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

TPNumEdit::TPNumEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] { TextChanged(); });
}

void TPNumEdit::WrDec(std::int32_t dec) {
    dec_ = std::clamp(dec, 0, 9);
    Paint();
}

void TPNumEdit::WrMin(std::int32_t value) {
    valMin_ = value;
    Paint();
}

void TPNumEdit::WrMax(std::int32_t value) {
    valMax_ = value;
    Paint();
}

std::int64_t TPNumEdit::Scale() const {
    std::int64_t scale = 1;
    for (int i = 0; i < dec_; ++i)
        scale *= 10;
    return scale;
}

QString TPNumEdit::FormatText() const {
    return QStringLiteral("0.") + QString(dec_, QLatin1Char('0'));
}

std::int32_t TPNumEdit::RdValore() const {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(value_, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

void TPNumEdit::WrValore(std::int32_t value) {
    value_ = value;
    edited_ = false;
    ChkVal();
}

void TPNumEdit::ShowNumber(std::int32_t value) {
    value_ = value;
    edited_ = false;
    editing_ = false;
    SetVal2Text();
}

QString TPNumEdit::LimitNote() const {
    return QStringLiteral("Limits: ") + Formatted(valMin_) + QStringLiteral(" \u2026 ") +
           Formatted(valMax_);
}

void TPNumEdit::ChkVal() {
    if (value_ < valMin_)
        value_ = valMin_;
    if (value_ > valMax_)
        value_ = valMax_;
    editing_ = false;
    SetVal2Text();
}

void TPNumEdit::ChkValMin() {
    if (value_ < valMin_) {
        value_ = valMin_;
        SetVal2Text();
    }
}

// The format "0." plus Dec zeros: whole numbers without a separator, else Dec digits after
// a ','.
QString TPNumEdit::Formatted(std::int64_t value) const {
    if (dec_ == 0)
        return QString::number(value);
    const std::int64_t scale = Scale();
    const std::int64_t magnitude = value < 0 ? -value : value;
    return (value < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / scale) +
           QLatin1Char(',') +
           QStringLiteral("%1").arg(magnitude % scale, dec_, 10, QLatin1Char('0'));
}

void TPNumEdit::SetVal2Text() {
    blank_ = false;
    ++showing_;
    setText(Formatted(value_)); // caret at the end, nothing selected
    if (hasFocus())
        selectAll();
    --showing_;
    Paint();
}

void TPNumEdit::ShowEmpty() {
    ++showing_;
    setText(QString());
    --showing_;
    editing_ = false;
    edited_ = false;
    blank_ = true;
    Paint();
}

void TPNumEdit::ShowLimited() {
    ++showing_;
    setText(Formatted(value_));
    --showing_;
    if (isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), LimitNote(), this);
}

void TPNumEdit::CommitEdit() {
    if (!editing_)
        return;
    ChkVal();
    if (onExit_)
        onExit_(*this);
}

void TPNumEdit::RevertEdit() {
    if (!editing_)
        return;
    value_ = valueBeforeEdit_;
    edited_ = editedBeforeEdit_;
    editing_ = false;
    SetVal2Text();
    SetMarked(markedBeforeEdit_);
}

void TPNumEdit::CommitFocusedEdit() {
    if (auto* field = qobject_cast<TPNumEdit*>(QApplication::focusWidget()))
        field->CommitEdit();
}

bool TPNumEdit::KeyRefused(const QKeyEvent& event, QChar ch) const {
    Q_UNUSED(event);
    if (ch.isNull() || !ch.isPrint())
        return false; // editing and navigation keys
    const bool asciiDigit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    if (!asciiDigit && ch != QLatin1Char(',') && ch != QLatin1Char('.') && ch != QLatin1Char('-'))
        return true; // nothing else can be part of a number
    const QString current = text();
    if (ch == QLatin1Char(',') || ch == QLatin1Char('.'))
        return dec_ == 0 || current.contains(QLatin1Char(','));
    if (ch == QLatin1Char('-'))
        return !(isNegative_ && (current.isEmpty() || selectedText() == current));
    if (asciiDigit) {
        // With a selection the digit lands where the selection starts (a whole selected
        // text is simply replaced).
        const int comma = current.indexOf(QLatin1Char(','));
        const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
        if (comma < 0 || caret <= comma)
            return false;
        return current.size() - comma - 1 >= dec_;
    }
    return false;
}

void TPNumEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const QChar ch = typed.size() == 1 ? typed.at(0) : QChar();
    const bool plainKey = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plainKey && KeyRefused(*event, ch)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && editing_) {
        RevertEdit();
        event->accept();
        return;
    }
    if (IsEnter(*event)) {
        // Only a typed number is clamped: a stored one outside the limits stays as shown.
        if (editing_)
            ChkVal();
        selectAll();
    }
    if (onKey_ && onKey_(*this, *event)) {
        event->accept();
        return;
    }
    if (plainKey && ch == QLatin1Char('.')) {
        insert(QStringLiteral(","));
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TPNumEdit::TextChanged() {
    if (showing_ > 0)
        return; // our own formatted text: the value is already known
    if (!editing_) {
        editing_ = true;
        valueBeforeEdit_ = value_;
        markedBeforeEdit_ = marked_;
        editedBeforeEdit_ = edited_;
    }
    edited_ = true;
    blank_ = false;
    QString number = text();
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    if (number.size() > 1 && number.endsWith(QLatin1Char('.')))
        number.chop(1); // "3," while the decimals are still to come
    bool ok = false;
    const double read = QLocale::c().toDouble(number, &ok);
    if (!ok || !std::isfinite(read)) {
        NotANumber();
    } else {
        std::int64_t exact = 0;
        if (ReadPlainDecimal(number, dec_, exact)) {
            value_ = exact;
        } else {
            const double scaled = std::clamp(std::trunc(read * static_cast<double>(Scale())),
                                             -LargestTyped, LargestTyped);
            value_ = static_cast<std::int64_t>(scaled);
        }
        if (valMax_ < 0) {
            // Negative ranges: the upper limit would stop the first digits being typed.
            if (value_ < valMin_) {
                value_ = valMin_;
                ShowLimited();
            }
        } else if (value_ > valMax_) {
            value_ = valMax_;
            ShowLimited();
        } else if (valMin_ <= 0 && value_ < valMin_) {
            // A positive minimum waits for the field to be left, so that the first digits of
            // a larger number can be typed.
            value_ = valMin_;
            ShowLimited();
        }
    }
    Paint();
    if (onChange_)
        onChange_(*this);
}

void TPNumEdit::NotANumber() {
    value_ = 0;
    if (!text().isEmpty() && !text().startsWith(QLatin1Char('-'))) {
        ++showing_;
        setText(QString());
        --showing_;
    }
    // The limit stands in for the missing number, selected so that the next digit replaces it.
    if (valMax_ < 0) {
        value_ = valMax_;
        SetVal2Text();
    } else if (valMin_ > 0) {
        value_ = valMin_;
        SetVal2Text();
    }
}

void TPNumEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Only a move to another control counts as leaving the field, not the window losing
    // activation or a popup opening.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    // Leaving always reaches the page; it clamps a typed number, never a stored one shown
    // outside the limits.
    if (editing_ || !OutOfLimits())
        ChkVal();
    if (onExit_)
        onExit_(*this);
}

void TPNumEdit::SetMarked(bool marked) {
    marked_ = marked;
    Paint();
}

void TPNumEdit::Paint() {
    const bool outside = !blank_ && !editing_ && OutOfLimits();
    const QPalette normal = QApplication::palette(this);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, marked_ ? QColor(Qt::red) : normal.color(QPalette::Text));
    // A disabled field keeps the grey text that tells it cannot be edited.
    colours.setColor(QPalette::Disabled, QPalette::Text,
                     normal.color(QPalette::Disabled, QPalette::Text));
    colours.setColor(QPalette::Base,
                     outside ? QColor(255, 226, 160) : normal.color(QPalette::Base));
    setPalette(colours);
    setToolTip(outside ? LimitNote() + QStringLiteral(" (the number shown lies outside them)")
                       : LimitNote());
}

} // namespace kelm
