#include "ui/geninfo/GenInfoDialog.h"

#include "ui/geninfo/TFGenInfo.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"

namespace kelm {

void ShowGenInfo(ShellHost& shell) {
    TFGenInfo dialog(shell.Driver(), shell.Window());
    Dialogs().Exec(dialog);
}

} // namespace kelm
