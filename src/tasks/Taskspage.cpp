#include "Taskspage.h"

#include "widgets/HotImage.h"
#include "widgets/ListGrid.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTableWidget>

namespace kv {

TTasksPage::TTasksPage(QWidget *parent) : QWidget(parent) {
    auto *group = new QGroupBox(QStringLiteral(" Zadania "), this);
    group->setGeometry(8, 4, 648, 400);
    StringGrid2 = listGrid(10, group);
    StringGrid2->setGeometry(12, 28, 300, 250);
    RichEdit4 = new QPlainTextEdit(group);
    RichEdit4->setGeometry(324, 28, 310, 250);
    Image13 = new HotImage(group);
    Image13->move(324, 290);
    Label32 = new QLabel(QStringLiteral("...wyczyść pole tekstowe."), group);
    Label32->setGeometry(352, 290, 240, 22);
    // Over the group box, the grid or the editor the picture goes back to normal.
    for (QWidget *neighbour : std::initializer_list<QWidget *>{group, StringGrid2, RichEdit4})
        Image13->addNeighbour(neighbour);
    connect(Image13, &HotImage::clicked, this, &TTasksPage::Image13Click);
}

void TTasksPage::mainWindowShown() {
    setGridHeading(StringGrid2, QStringLiteral(" Dodano..."));
}

void TTasksPage::takeFocus() {
    StringGrid2->setFocus();
}

void TTasksPage::Image13Click() {
    StringGrid2->setRowCount(10);
    RichEdit4->clear();
}

} // namespace kv
