#include "Addresspage.h"

#include "widgets/HotImage.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace kv {

TAddressPage::TAddressPage(QWidget *parent) : QWidget(parent) {
    auto *group = new QGroupBox(QStringLiteral(" Baza teleadresowa "), this);
    group->setGeometry(8, 4, 648, 400);
    auto *label = new QLabel(QStringLiteral("Nazwa:"), group);
    label->setGeometry(20, 32, 80, 24);
    Edit2 = new QLineEdit(group);
    Edit2->setMaxLength(100);
    Edit2->setGeometry(104, 30, 420, 26);
    Image8 = new HotImage(group);
    Image8->move(20, 360);
    Label28 = new QLabel(QStringLiteral("...wyczyść pola tekstowe."), group);
    Label28->setGeometry(48, 360, 240, 22);
    for (QWidget *neighbour : std::initializer_list<QWidget *>{group, Edit2})
        Image8->addNeighbour(neighbour);
    connect(Image8, &HotImage::clicked, Edit2, &QLineEdit::clear);
}

} // namespace kv
