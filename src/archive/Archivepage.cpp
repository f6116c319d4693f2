#include "Archivepage.h"

#include "platform/DateText.h"
#include "widgets/ListGrid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QTableWidget>

namespace kv {

TArchivePage::TArchivePage(QWidget *parent) : QWidget(parent) {
    auto *group = new QGroupBox(QStringLiteral(" Archiwum "), this);
    group->setGeometry(8, 4, 648, 400);
    Edit1 = new QLineEdit(group);
    Edit1->setMaxLength(50);
    Edit1->setGeometry(12, 30, 260, 26);
    ComboBox5 = new QComboBox(group);
    ComboBox5->setEditable(true);
    for (int day = 1; day <= 31; ++day)
        ComboBox5->addItem(twoDigits(day));
    ComboBox5->setCurrentIndex(-1);
    ComboBox5->setEnabled(false);
    ComboBox5->setGeometry(12, 64, 60, 26);
    StringGrid1 = listGrid(8, group);
    StringGrid1->setGeometry(12, 100, 300, 200);
}

void TArchivePage::mainWindowShown() {
    setGridHeading(StringGrid1, QStringLiteral(" Dodano..."));
}

void TArchivePage::takeFocus() {
    if (Edit1->isEnabled())
        Edit1->setFocus();
    if (ComboBox5->isEnabled())
        ComboBox5->setFocus();
}

} // namespace kv
