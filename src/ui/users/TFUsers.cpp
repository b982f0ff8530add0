#include "ui/users/TFUsers.h"

#include "ui/seams/DialogRunner.h"
#include "ui/shell/ShellHost.h"
#include "ui/users/UserLevel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelm {

TFUsers::TFUsers(QWidget* centreOn) : QDialog(centreOn), centreOn_(centreOn) {
    setWindowTitle(QStringLiteral(" Change User"));
    // Fixed border, no system buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Password")), 0, 0);
    Edit = new QLineEdit;
    Edit->setMaxLength(6);
    Edit->setEchoMode(QLineEdit::Password);
    QFont bold = Edit->font();
    bold.setBold(true);
    Edit->setFont(bold);
    grid->addWidget(Edit, 0, 1);
    auto* buttons = new QHBoxLayout;
    BCancel = new QPushButton(QStringLiteral("&Cancel"));
    BOk = new QPushButton(QStringLiteral("&Ok"));
    // Enter presses the focused button, elsewhere Ok.
    BOk->setDefault(true);
    buttons->addWidget(BCancel);
    buttons->addWidget(BOk);
    grid->addLayout(buttons, 1, 0, 1, 2);
    connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BOk, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in the field is taken here and confirms.
    connect(Edit, &QLineEdit::returnPressed, this, &QDialog::accept);
    setFixedSize(sizeHint());
}

void TFUsers::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (centreOn_) {
        const QRect main = centreOn_->frameGeometry();
        move(main.left() + (main.width() - width()) / 2,
             main.top() + (main.height() - height()) / 2);
    }
    Edit->setText(QStringLiteral("      "));
    Edit->setFocus();
    Edit->selectAll();
}

void UserChange(ShellHost& shell) {
    if (shell.IsExpert()) {
        shell.SetUserLevel(UserLevel::Normal);
    } else {
        TFUsers dialog(shell.Window());
        if (Dialogs().Exec(dialog) == QDialog::Accepted)
            shell.SetUserLevel(PasswordMatches(dialog.Edit->text()) ? UserLevel::Expert
                                                                    : UserLevel::Normal);
    }
    shell.ApplyUserLevel();
}

} // namespace kelm
