#include "ui/seams/MessageBoxSink.h"

#include "ui/seams/DialogRunner.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QRegularExpression>
#include <QThread>

namespace kelm {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

constexpr QChar BreakAfterSeparator(0x200B); // zero-width space
constexpr QChar NoBreak(0x2060);             // word joiner

// While a box is up, text copied from it (Ctrl+C, or a selection of its label) reaches the
// clipboard without the invisible break marks of its paths, so a pasted path still names
// the file.
class CleanCopies {
public:
    CleanCopies() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        QObject::connect(clipboard, &QClipboard::dataChanged, &context_, [clipboard] {
            const QString text = clipboard->text();
            const QString clean = MessageBoxSink::WithoutBreakMarks(text);
            if (clean != text)
                clipboard->setText(clean);
        });
    }

private:
    QObject context_; // ends the connection with the box
};

void Run(QMessageBox& box) {
    const CleanCopies copies;
    Dialogs().Exec(box);
}

} // namespace

MessageBoxSink::MessageBoxSink(QObject* parent) : QObject(parent) {}

MessageBoxSink::~MessageBoxSink() {
    if (installed_)
        InstallMessageSink(previous_);
}

void MessageBoxSink::Install() {
    if (installed_)
        return;
    previous_ = InstallMessageSink(this);
    installed_ = true;
}

QString MessageBoxSink::BoxText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString result;
    result.reserve(lines.size() * 2);
    static const QRegularExpression words(QStringLiteral("\\S+|\\s+"));
    for (const QRegularExpressionMatch& match : words.globalMatch(lines)) {
        const QString word = match.captured();
        if (!word.contains(QLatin1Char('/')) && !word.contains(QLatin1Char('\\'))) {
            result += word;
            continue;
        }
        for (qsizetype i = 0; i < word.size(); ++i) {
            const QChar c = word[i];
            result += c;
            if (i + 1 == word.size() || c.isLetterOrNumber())
                continue; // no break between letters and digits anyway
            // A zero-width space after a separator, a word joiner after any other mark
            // (a hyphen, a dot) that would let the line break there.
            result +=
                c == QLatin1Char('/') || c == QLatin1Char('\\') ? BreakAfterSeparator : NoBreak;
        }
    }
    return result;
}

QString MessageBoxSink::WithoutBreakMarks(const QString& text) {
    return QString(text).remove(BreakAfterSeparator).remove(NoBreak);
}

void MessageBoxSink::RunOnUiThread(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread())
        fn();
    else
        QMetaObject::invokeMethod(this, fn, Qt::BlockingQueuedConnection);
}

void MessageBoxSink::Beep() {
    // QApplication::beep is not thread-safe; ring it from the user-interface thread without
    // making the caller wait.
    if (QThread::currentThread() == thread())
        QApplication::beep();
    else
        QMetaObject::invokeMethod(
            this, [] { QApplication::beep(); }, Qt::QueuedConnection);
}

void MessageBoxSink::ShowBox(const QString& caption, const QString& text, MessageIcon icon) {
    RunOnUiThread([&] { ShowBoxHere(caption, text, icon); });
}

bool MessageBoxSink::AskYesNo(const QString& caption, const QString& text) {
    bool yes = false;
    RunOnUiThread([&] { yes = AskYesNoHere(caption, text); });
    return yes;
}

MessageAnswer MessageBoxSink::AskYesNoCancel(const QString& caption, const QString& text) {
    MessageAnswer answer = MessageAnswer::Cancel;
    RunOnUiThread([&] {
        QMessageBox box(QMessageBox::Question, caption, BoxText(text),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parentWidget_);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        Run(box);
        if (box.clickedButton() == box.button(QMessageBox::Yes))
            answer = MessageAnswer::Yes;
        else if (box.clickedButton() == box.button(QMessageBox::No))
            answer = MessageAnswer::No;
    });
    return answer;
}

void MessageBoxSink::RequestTerminate() {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

void MessageBoxSink::ShowBoxHere(const QString& caption, const QString& text, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), caption, BoxText(text), QMessageBox::Ok, parentWidget_);
    Run(box);
}

bool MessageBoxSink::AskYesNoHere(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, BoxText(text),
                    QMessageBox::Yes | QMessageBox::No, parentWidget_);
    box.setDefaultButton(QMessageBox::Yes);
    Run(box);
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

} // namespace kelm
