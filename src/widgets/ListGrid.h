#pragma once
#include <QTableWidget>

namespace kv {

// A grid of one visible column whose rows are chosen whole and never edited
// in place: the task list and the archive's results. The arrows move between
// the rows, Tab goes on to the next control.
QTableWidget *listGrid(int rows, QWidget *parent);
// Puts the heading text into the grid's first row.
void setGridHeading(QTableWidget *grid, const QString &heading);

} // namespace kv
