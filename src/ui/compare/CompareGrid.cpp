#include "ui/compare/CompareGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

namespace kelm {

CompareGrid::CompareGrid(QWidget* parent) : QTableWidget(parent) {
    setObjectName(QStringLiteral("Grid"));
    setColumnCount(4);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setColumnWidth(0, 160);
}

void CompareGrid::SetTitles(const QStringList& titles) {
    setHorizontalHeaderLabels(titles);
}

void CompareGrid::SetCell(int row, int column, const QString& text, const QColor& colour,
                          bool bold) {
    QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        cell->setBackground(Qt::white);
        setItem(row, column, cell);
    }
    cell->setText(text);
    // Recoloured only when the colour changes.
    if (cell->background().color() != colour)
        cell->setBackground(colour);
    if (cell->font().bold() != bold) {
        QFont font = cell->font();
        font.setBold(bold);
        cell->setFont(font);
    }
}

void CompareGrid::Fill(const std::vector<ComparisonRow>& rows) {
    if (rows.empty()) {
        setRowCount(1);
        for (int column = 0; column < 4; ++column)
            SetCell(0, column, QString(), Qt::white, false);
    } else {
        setRowCount(static_cast<int>(rows.size()));
        for (int row = 0; row < rowCount(); ++row) {
            const ComparisonRow& data = rows[static_cast<std::size_t>(row)];
            const bool different = data.State() == RowState::Different;
            const QColor colour = different ? DifferentColour() : QColor(Qt::white);
            const std::array<QString, 4> cells = data.Cells();
            for (int column = 0; column < 4; ++column)
                SetCell(row, column, cells[static_cast<std::size_t>(column)], colour, different);
        }
    }
    for (int column = 0; column + 1 < columnCount(); ++column)
        setColumnWidth(column, std::max(columnWidth(column), ContentWidth(column)));
    updateGeometry();
    viewport()->update();
}

// The widest cell of a column over all rows (bold rows included) or its title.
int CompareGrid::ContentWidth(int column) const {
    const int padding =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1) + 2;
    int width = horizontalHeader()->sectionSizeHint(column);
    for (int row = 0; row < rowCount(); ++row)
        if (const QTableWidgetItem* cell = item(row, column))
            width = std::max(width,
                             QFontMetrics(cell->font()).horizontalAdvance(cell->text()) + padding);
    return width;
}

QSize CompareGrid::sizeHint() const {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < columnCount(); ++column)
        width += column + 1 < columnCount()
                     ? columnWidth(column)
                     : std::max(ContentWidth(column), horizontalHeader()->defaultSectionSize());
    const int rows = std::clamp(rowCount(), 1, ShownRows);
    const int height = 2 * frameWidth() + horizontalHeader()->sizeHint().height() +
                       rows * verticalHeader()->defaultSectionSize();
    return {width, height};
}

int CompareGrid::TopRow() const {
    return verticalScrollBar()->value();
}

void CompareGrid::ScrollBy(int rows) {
    verticalScrollBar()->setValue(verticalScrollBar()->value() + rows);
}

void CompareGrid::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta != 0)
        ScrollBy(delta > 0 ? -1 : 1);
    event->accept();
}

void CompareGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        ScrollBy(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace kelm
