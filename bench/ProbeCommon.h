#pragma once
// What the two program probes (kelmbench_start, kelmbench_stall) share: the error line, the
// scripted answers to the drive selection, and an installation of their own.
#include "core/seams/RecordingMessages.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

namespace kelm::bench {

// Prints "error TEXT"; the probe's exit code.
inline int Fail(const QString& text) {
    std::printf("error %s\n", qPrintable(text));
    return 1;
}

// Drive number 1 in the selection; the progress dialog runs to its end; anything else is
// cancelled.
inline void AnswerDialogs(QDialog& dialog) {
    if (auto* select = qobject_cast<TFSelectDriver*>(&dialog)) {
        select->EId->setText(QStringLiteral("1"));
        select->BStdOk->click();
        return;
    }
    if (qobject_cast<TFConnectD*>(&dialog)) {
        ScriptedDialogs::WaitClosed(dialog, 300000);
        return;
    }
    dialog.reject();
}

// What a probe sets up before it builds the main window: recorded messages, the scripted
// answers of AnswerDialogs, and an installation of its own (the shipped Bin/ beside this
// program copied into a temporary folder, with private settings); Options() builds the main
// window there.
class ProbeSetup {
public:
    ProbeSetup() {
        Dialogs.SetDefaultDialogHandler(&AnswerDialogs);
        const QString install = folder_.path() + QStringLiteral("/install/");
        QDir().mkpath(install + QStringLiteral("Bin"));
        const QDir shipped(QCoreApplication::applicationDirPath() + QStringLiteral("/Bin"));
        for (const QString& name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), install + QStringLiteral("Bin/") + name);
        options_.ExecutableFolder = install;
        options_.SettingsFile = folder_.path() + QStringLiteral("/settings.ini");
        options_.Arguments = {QStringLiteral("kelmdrive")};
    }
    const PrincipaleOptions& Options() const { return options_; }
    // A file of that name in the probe's private folder.
    QString FilePath(const QString& name) const { return folder_.filePath(name); }
    // Every message so far, joined, for an error line.
    QString MessageTexts() const { return Messages.Texts().join(QLatin1Char('|')); }

    RecordingMessages Messages;
    ScriptedDialogs Dialogs;

private:
    QTemporaryDir folder_;
    PrincipaleOptions options_;
};

} // namespace kelm::bench
