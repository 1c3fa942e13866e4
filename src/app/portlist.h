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
