#pragma once

#include "core/files/Comparison.h"

#include <QTableWidget>

namespace kelm {

// The comparison grid: four columns, whole-row selection; the wheel and the up/down arrow
// keys scroll by one row. The columns grow with the widest text of any row. Different rows are
// painted red (255, 60, 60) and bold.
class CompareGrid final : public QTableWidget {
    Q_OBJECT
public:
    explicit CompareGrid(QWidget* parent = nullptr);

    static QColor DifferentColour() { return QColor(255, 60, 60); }

    void SetTitles(const QStringList& titles);
    // Shows the rows (in order); none gives one empty row.
    void Fill(const std::vector<ComparisonRow>& rows);
    // The first visible data row.
    int TopRow() const;
    // Wide enough for every column's widest text, high enough for ShownRows rows.
    QSize sizeHint() const override;
    static constexpr int ShownRows = 20;

protected:
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetCell(int row, int column, const QString& text, const QColor& colour, bool bold);
    void ScrollBy(int rows);
    int ContentWidth(int column) const;
};

} // namespace kelm
