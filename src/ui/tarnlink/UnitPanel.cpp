#include "ui/tarnlink/UnitPanel.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace kelm {

namespace {

// The picture of a unit's select button: silent, answering, alarm (the variant picks the
// larger model's picture set).
QIcon UnitPicture(bool isPower, bool variant, int state) {
    QStyle* style = QApplication::style();
    switch (state) {
    case 1:
        return style->standardIcon(isPower || variant ? QStyle::SP_DriveHDIcon
                                                      : QStyle::SP_ComputerIcon);
    case 2:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    default:
        return style->standardIcon(QStyle::SP_DialogCancelButton);
    }
}

QLabel* ValueLabel(QWidget* parent, const QString& name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(70);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QString UnitTitle(bool isPower, bool inUse) {
    const QString kind = isPower ? QStringLiteral("Tarn Power") : QStringLiteral("Tarn Drive");
    return QLatin1Char(' ') + kind + (inUse ? QStringLiteral(" (in use) ") : QStringLiteral(" "));
}

QString UnitCaption(bool isPower, std::uint8_t address) {
    return (isPower ? QStringLiteral("Power Unit %1") : QStringLiteral("Drive Unit %1"))
        .arg(address);
}

} // namespace

UnitPanel::UnitPanel(bool isPower, std::uint8_t address, QWidget* parent)
    : QGroupBox(parent), isPower_(isPower) {
    setObjectName(QStringLiteral("PUnit%1").arg(address));
    setTitle(UnitTitle(isPower, false));
    auto* grid = new QGridLayout(this);
    int row = 0;
    SelectButton = new QPushButton(UnitCaption(isPower, address), this);
    SelectButton->setObjectName(QStringLiteral("BSelect"));
    SelectButton->setIconSize(QSize(48, 48));
    grid->addWidget(SelectButton, row++, 0, 1, 3);

    const auto addRow = [&](const QString& caption, QLabel*& value, const QString& name) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        value = ValueLabel(this, name);
        grid->addWidget(value, row++, 1, 1, 2);
    };
    addRow(QStringLiteral("TARN LINK ID:"), LinkId, QStringLiteral("LLinkId"));
    addRow(QStringLiteral("CAN ID:"), CanId, QStringLiteral("LCanId"));
    addRow(QStringLiteral("LIFE (HH):"), Life, QStringLiteral("LLife"));
    AlarmText = new QLabel(this);
    AlarmText->setObjectName(QStringLiteral("LAlarm"));
    grid->addWidget(AlarmText, row++, 0, 1, 3);

    const QStringList captions = UnitValueCaptions(isPower);
    const QStringList units = UnitValueUnits(isPower);
    for (int i = 0; i < captions.size(); ++i) {
        grid->addWidget(new QLabel(captions[i], this), row, 0);
        QLabel* value = ValueLabel(this, QStringLiteral("LValue%1").arg(i));
        grid->addWidget(value, row, 1);
        grid->addWidget(new QLabel(units[i], this), row++, 2);
        Values.push_back(value);
    }
    if (!isPower) {
        Indicator = new QFrame(this);
        Indicator->setObjectName(QStringLiteral("SIndicator"));
        Indicator->setFixedSize(14, 14);
        Indicator->setStyleSheet(QStringLiteral("background: lime; border-radius: 7px;"));
        Indicator->hide();
        grid->addWidget(Indicator, row++, 0);
    }
    HistoryButton = new QPushButton(QStringLiteral("Alarm History"), this);
    HistoryButton->setObjectName(QStringLiteral("BHistory"));
    grid->addWidget(HistoryButton, row++, 0, 1, 3);
    LinkId->setText(QString::number(address));
}

void UnitPanel::SetInUse(bool inUse) {
    inUse_ = inUse;
    setTitle(UnitTitle(isPower_, inUse));
    QFont font = SelectButton->font();
    font.setBold(inUse);
    SelectButton->setFont(font);
}

void UnitPanel::Apply(const UnitPanelView& view, bool variant) {
    selectTag_ = view.SelectTag;
    LinkId->setText(view.LinkId);
    CanId->setText(view.CanId);
    Life->setText(view.Life);
    AlarmText->setText(view.AlarmText);
    for (std::size_t i = 0; i < Values.size(); ++i)
        Values[i]->setText(i < static_cast<std::size_t>(view.Values.size())
                               ? view.Values[static_cast<int>(i)]
                               : QString());
    if (Indicator != nullptr)
        Indicator->setVisible(view.IndicatorVisible);
    if (view.PictureState != pictureState_ || variant != pictureVariant_) {
        pictureState_ = view.PictureState;
        pictureVariant_ = variant;
        SelectButton->setIcon(UnitPicture(isPower_, variant, view.PictureState));
        ++pictureChanges_;
    }
}

} // namespace kelm
