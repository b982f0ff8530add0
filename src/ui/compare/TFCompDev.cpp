#include "ui/compare/TFCompDev.h"

#include "core/drive/TDriver.h"
#include "core/files/PathShortening.h"
#include "ui/compare/CompareGrid.h"
#include "ui/widgets/GrowToContent.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace kelm {

TFCompDev::TFCompDev(TDriver& driver, std::function<void()> openFileCommand, QWidget* parent)
    : QWidget(parent), driver_(driver) {
    setObjectName(QStringLiteral("TFCompDev"));
    auto* layout = new QVBoxLayout(this);
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("LFile1"));
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("LFile2"));
    for (QLabel* label : {label1_, label2_}) {
        label->setMinimumWidth(50);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(label);
    }

    auto* buttons = new QHBoxLayout;
    filters_ = new QButtonGroup(this);
    filters_->setExclusive(true);
    const struct {
        const char* name;
        const char* caption;
        int tag;
    } filterButtons[] = {
        {"BAll", "Show All", 1}, {"BNoteq", "Show NOT Equal", 2}, {"BEq", "Show Equal", 3}};
    for (const auto& b : filterButtons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setCheckable(true);
        filters_->addButton(button, b.tag);
        buttons->addWidget(button);
    }
    connect(filters_, &QButtonGroup::idClicked, this, &TFCompDev::FilterClick);
    buttons->addStretch();
    open_ = new QPushButton(QStringLiteral("Open File"), this);
    open_->setObjectName(QStringLiteral("BOpen"));
    connect(open_, &QPushButton::clicked, this, [command = std::move(openFileCommand)] {
        if (command)
            command();
    });
    buttons->addWidget(open_);
    layout->addLayout(buttons);

    grid_ = new CompareGrid(this);
    layout->addWidget(grid_);
    resize(480, 420);
}

int TFCompDev::Filter() const {
    const int id = filters_->checkedId();
    return id > 0 ? id : 1;
}

void TFCompDev::ClickFilter(const QString& buttonName) {
    if (auto* button = findChild<QPushButton*>(buttonName))
        button->click();
}

void TFCompDev::CompLoad(const QString& firstFile, const QString& secondFile) {
    comparison_.Load(driver_.ActiveTable(), driver_.CurrentKind(), firstFile, secondFile);
    setWindowTitle(comparison_.Caption());
    grid_->SetTitles(comparison_.ColumnTitles());
    UpdateLabels();
    show();
    QAbstractButton* all = filters_->button(1);
    if (!all->isChecked())
        all->setChecked(true);
    FilterClick(1);
    GrowToContent(*this);
}

void TFCompDev::FilterClick(int tag) {
    grid_->Fill(comparison_.Filtered(CompareFilterFromTag(tag)));
}

void TFCompDev::SetLabel(QLabel& label, const QString& title, const QString& path) {
    const QString prefix = title + QStringLiteral(": ");
    const QFontMetrics metrics = label.fontMetrics();
    const int width = label.width();
    label.setText(prefix + ShortenPath(path, [&](const QString& text) {
                      return metrics.horizontalAdvance(prefix + text) <= width;
                  }));
    label.setToolTip(path);
}

void TFCompDev::UpdateLabels() {
    const QStringList titles = comparison_.ColumnTitles();
    if (comparison_.DriveMode()) {
        label1_->hide();
    } else {
        label1_->show();
        SetLabel(*label1_, titles.value(2), comparison_.FirstFile());
    }
    SetLabel(*label2_, titles.value(3), comparison_.SecondFile());
}

void TFCompDev::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (onClose_)
        std::exchange(onClose_, {})();
}

void TFCompDev::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!comparison_.SecondFile().isEmpty())
        UpdateLabels();
}

} // namespace kelm
