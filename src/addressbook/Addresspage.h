#pragma once
#include <QWidget>

class QLabel;
class QLineEdit;

namespace kv {

class HotImage;

// The " &Baza  teleadresowa " tab: one address entry at a time.
class TAddressPage : public QWidget {
    Q_OBJECT
public:
    explicit TAddressPage(QWidget *parent = nullptr);

    // The entry-number field: the entry the reminder's link points to.
    int entryNumber() const { return m_entry; }
    void setEntryNumber(int entry) { m_entry = entry; }

    QLineEdit *Edit2 = nullptr; // "Nazwa:"
    HotImage *Image8 = nullptr; // "clear the fields" picture
    QLabel *Label28 = nullptr;  // "...wyczyść pola tekstowe."

private:
    int m_entry = 0;
};

} // namespace kv
