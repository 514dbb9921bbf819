// The worksheet's data grid: its size from the configuration and its place
// in the input panel.
#include <algorithm>

#include <QLabel>
#include <QTableWidget>

#include "gui/worksheet/TemplateForm.h"

namespace kalden {

void TfrmTemplate::emptyGridCells() {
    for (int row = 0; row < grdData->rowCount(); ++row)
        for (int column = 1; column < grdData->columnCount() && column <= config.GridColumns; ++column)
            if (QTableWidgetItem* item = grdData->item(row, column)) item->setText(QString());
}

int TfrmTemplate::gridCellHeight() const { return std::max(20, QFontMetrics(grdData->font()).height() + 4); }

// The grid's size from the configuration: GridColumns + 1 columns (the first
// holds the row numbers 1 to GridRows), GridRows rows; at most six rows show,
// and from seven rows on the grid is wider by a vertical scroll bar.
void TfrmTemplate::SizeGrid() {
    const int columns = std::max(0, config.GridColumns);
    const int rows = std::max(0, config.GridRows);
    const int cellHeight = gridCellHeight();
    grdData->setColumnCount(columns + 1);
    grdData->setRowCount(rows);
    for (int c = 0; c <= columns; ++c) grdData->setColumnWidth(c, GridCellWidth);
    for (int r = 0; r < rows; ++r) {
        grdData->setRowHeight(r, cellHeight);
        auto* number = new QTableWidgetItem(QString::number(r + 1));
        number->setFlags(Qt::ItemIsEnabled);
        grdData->setItem(r, 0, number);
        for (int c = 1; c <= columns; ++c)
            if (!grdData->item(r, c)) grdData->setItem(r, c, new QTableWidgetItem);
    }
    int width = (columns + 1) * (GridCellWidth + 1) + 3;
    const int height = (cellHeight + 1) * std::min(rows, 6) + 4;
    if (rows > 6) width += 17;
    gridSize_ = QSize(width, height);

    const bool shown = grdData->isVisibleTo(this);
    lblGridColumnsTitle->setVisible(shown);
    lblItems->setVisible(shown);
    for (int k = 1; k <= 6; ++k) lblCol[static_cast<std::size_t>(k - 1)]->setVisible(shown && columns >= k);
    const int headings = lblGridColumnsTitle->sizeHint().height() + lblItems->sizeHint().height();
    gridPane->setFixedHeight(headings + height);
    placeGrid();
}

// Centres the grid in the window ((window width - grid width) / 2,
// truncated) with its headings above it: the column title over the grid's
// whole width, then the row of column labels, lblItems over the row-number
// column and the k-th label at grid left + k * (cell width + 1) + 2. A grid
// wider than the window's strip is narrowed to it and scrolls.
void TfrmTemplate::placeGrid() {
    if (!gridPane || !gridSize_.isValid()) return;
    const int titleHeight = lblGridColumnsTitle->sizeHint().height();
    const int labelHeight = lblItems->sizeHint().height();
    const int width = std::min(gridSize_.width(), std::max(gridPane->width(), 1));
    const int paneLeft = gridPane->mapTo(sheet_, QPoint(0, 0)).x();
    const int left = std::clamp((sheet_->width() - width) / 2 - paneLeft, 0, std::max(0, gridPane->width() - width));
    const int top = titleHeight + labelHeight;
    grdData->setGeometry(left, top, width, gridSize_.height());
    lblGridColumnsTitle->setGeometry(left, 0, width, titleHeight);
    lblItems->setGeometry(left + 2, titleHeight, GridCellWidth, labelHeight);
    for (int k = 1; k <= 6; ++k)
        lblCol[static_cast<std::size_t>(k - 1)]->setGeometry(left + k * (GridCellWidth + 1) + 2, titleHeight,
                                                             GridCellWidth, labelHeight);
}

} // namespace kalden
