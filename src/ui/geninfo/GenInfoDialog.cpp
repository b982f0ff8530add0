#include "ui/geninfo/GenInfoDialog.h"

#include "ui/geninfo/TFGenInfo.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ChildWindows.h"
#include "ui/shell/ShellHost.h"

#include <QPointer>

namespace kelm {

void ShowGenInfo(ShellHost& shell) {
    TFGenInfo dialog(shell.Driver(), shell.Window());
    // The line may drop while the dialog is up: its settings follow.
    ChildWindows::Hooks hooks;
    hooks.OnlineChanged = [page = QPointer<TFGenInfo>(&dialog)](bool online) {
        if (page)
            page->SetOnline(online);
    };
    const int id =
        shell.Children().Register(ChildWindows::Role::Other, QStringLiteral("TFGenInfo"), hooks);
    Dialogs().Exec(dialog);
    shell.Children().Unregister(id);
}

} // namespace kelm
