#include "ui/diagnostic/MainWindowReduction.h"

#include <QAction>
#include <QMenu>

namespace kelm {

namespace {

const char* const hiddenMenus[] = {"MFile", "MUsers", "MSettings", "MDrive", "MTuning"};
const char* const disabledButtons[] = {"BOpen",   "BSaveAs", "BSetId",   "BSelTarn",
                                       "BSaveEE", "BLoadEE", "BLoadDef", "BPos",
                                       "BReset",  "BInfo",   "BOscillo", "BBoot"};

} // namespace

void MainWindowReduction::SetMenusVisible(bool visible) {
    if (!main_)
        return;
    for (const char* name : hiddenMenus)
        if (auto* menu = main_->findChild<QMenu*>(QString::fromLatin1(name)))
            menu->menuAction()->setVisible(visible);
    if (auto* about = main_->findChild<QAction*>(QStringLiteral("MAbout")))
        about->setVisible(visible);
}

void MainWindowReduction::SetButtonsEnabled(bool enabled) {
    if (!main_)
        return;
    for (const char* name : disabledButtons)
        for (QAction* action : main_->findChildren<QAction*>(QString::fromLatin1(name)))
            action->setEnabled(enabled);
}

void MainWindowReduction::Apply() {
    SetMenusVisible(false);
    SetButtonsEnabled(false);
}

void MainWindowReduction::Undo() {
    SetMenusVisible(true);
    SetButtonsEnabled(true);
}

} // namespace kelm
