#include "ui/compare/CompareGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

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
    viewport()->update();
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
