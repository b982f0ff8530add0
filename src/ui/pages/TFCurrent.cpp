#include "ui/pages/TFCurrent.h"

#include "core/drive/DriveIdentity.h"
#include "core/drive/TDriver.h"
#include "ui/pages/PageWidgets.h"
#include "ui/widgets/TPNumEdit.h"

#include <QGridLayout>

namespace kelm {

TFCurrent::TFCurrent(TDriver& driver, QWidget* parent)
    : DialogPage(driver, QStringLiteral("TFCurrent"), QStringLiteral(" Current "), parent) {
    const CurrentAddresses a = CurrentAddressTable(driver.CurrentKind());
    AddFieldRows({{"EInom", "I rms", a.Inom, 0, "%"},
                  {"EImax", "I peak", a.Imax, 0, "%"},
                  {"EI2t", "I2T Message", a.I2t, 2, "s"},
                  {"EKp", "KP ", a.Kp, 0, ""},
                  {"ETn", "Ti", a.Tn, 1, "ms"}});
    QGridLayout* grid = Grid();
    eInom_ = findChild<TPNumEdit*>(QStringLiteral("EInom"));
    eImax_ = findChild<TPNumEdit*>(QStringLiteral("EImax"));
    // The amperes stand beside the two percentages; room for " (999.9 A)".
    lInomA_ = NewCaption(QStringLiteral("LInomA"), QString(), this);
    lImaxA_ = NewCaption(QStringLiteral("LImaxA"), QString(), this);
    for (QLabel* label : {lInomA_, lImaxA_})
        label->setMinimumWidth(
            label->fontMetrics().horizontalAdvance(QStringLiteral(" (999.9 A)")));
    grid->addWidget(lInomA_, 0, 3);
    grid->addWidget(lImaxA_, 1, 3);
    for (TPNumEdit* field : {eInom_, eImax_})
        connect(field, &QLineEdit::textChanged, this, [this] { ShowAmperes(); });
    Fields().Bind();
    ShowAmperes();
}

void TFCurrent::ShowAmperes() {
    const double rated = GetDriveSize(Driver().CurrentKind(), Driver().ActiveTable());
    const bool online = Driver().Online();
    lInomA_->setText(AmpereText(rated, eInom_->RdValore(), online));
    lImaxA_->setText(AmpereText(rated, eImax_->RdValore(), online));
}

} // namespace kelm
