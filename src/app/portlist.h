#pragma once

#include <QComboBox>

// The port list: its text stays the entry's name ("COM3", as the settings file stores it), while
// the opened list also shows what each entry stands for, taken from the entry's Qt::UserRole data
// ("COM1 — /dev/ttyUSB0 — FT232R USB UART"). aboutToShowPopup() lets the window read the ports
// again just before the list opens.
class PortList : public QComboBox {
    Q_OBJECT
public:
    explicit PortList(QWidget *parent = nullptr);

    void showPopup() override;

signals:
    void aboutToShowPopup();
};

// The port list and the period list have editable text. Typed text that names an entry selects
// it at once (followTypedText); other text goes back to the entry in use when editing ends
// (settleTypedText), which gives the sentence that says why, or nothing when the text was an
// entry.
enum class TypedList { Port, Period };
void followTypedText(QComboBox &list);
QString settleTypedText(QComboBox &list, TypedList kind);
