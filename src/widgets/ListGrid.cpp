#include "ListGrid.h"

#include <QHeaderView>

namespace kv {

QTableWidget *listGrid(int rows, QWidget *parent) {
    auto *grid = new QTableWidget(rows, 1, parent);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    return grid;
}

void setGridHeading(QTableWidget *grid, const QString &heading) {
    if (!grid->item(0, 0))
        grid->setItem(0, 0, new QTableWidgetItem);
    grid->item(0, 0)->setText(heading);
}

} // namespace kv
