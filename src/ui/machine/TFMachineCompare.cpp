#include "ui/machine/TFMachineCompare.h"

#include "core/common/KindDescriptor.h"
#include "ui/compare/CompareGrid.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace kelm {

TFMachineCompare::TFMachineCompare(const QString& folder, const CompareResult& result,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral(" Compare Machine: ") + folder);
    auto* layout = new QVBoxLayout(this);
    int differing = 0;
    for (const UnitComparison& unit : result.Units)
        differing += unit.Different() > 0 ? 1 : 0;
    QString summary = QStringLiteral("%1 of %2 units differ from the backup")
                          .arg(differing)
                          .arg(result.Units.size());
    for (const QString& line : result.Trouble)
        summary += QStringLiteral("\n") + line;
    Summary = new QLabel(summary);
    layout->addWidget(Summary);
    Tabs = new QTabWidget;
    for (const UnitComparison& unit : result.Units) {
        auto* grid = new CompareGrid;
        grid->SetTitles(unit.Rows.ColumnTitles());
        grid->Fill(unit.Rows.Rows());
        // The first differing parameter is selected and in view.
        const auto& rows = unit.Rows.Rows();
        const auto firstDifferent = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
            return row.State() == RowState::Different;
        });
        if (firstDifferent != rows.end()) {
            grid->selectRow(static_cast<int>(firstDifferent - rows.begin()));
            grid->scrollToItem(grid->item(grid->currentRow(), 0),
                               QAbstractItemView::PositionAtCenter);
        }
        const int different = unit.Different();
        Tabs->addTab(
            grid, QStringLiteral("Unit %1 %2%3")
                      .arg(unit.Unit.Address)
                      .arg(QLatin1String(unit.Unit.Kind == DeviceKind::Power ? "Power" : "Drive"))
                      .arg(different > 0 ? QStringLiteral(" *") : QString()));
        Tabs->setTabToolTip(Tabs->count() - 1, QStringLiteral("%1 of %2 compared parameters differ")
                                                   .arg(different)
                                                   .arg(unit.Rows.Rows().size()));
    }
    layout->addWidget(Tabs);
    // Opens on the first unit that differs.
    for (std::size_t i = 0; i < result.Units.size(); ++i)
        if (result.Units[i].Different() > 0) {
            Tabs->setCurrentIndex(static_cast<int>(i));
            break;
        }
}

} // namespace kelm
