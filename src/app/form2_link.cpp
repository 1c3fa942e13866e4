// The window's port list, "Connexion", the link's problems and the receive area's handlers.
#include "app/form2.h"

#include "app/byteview.h"
#include "app/portlist.h"
#include "link/colours.h"
#include "link/portmap.h"
#include "link/serialtransport.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

void Form2::Combo1_Click() {
    const int number = Combo1->currentIndex() + 1;
    SerialTransport &port = *m_parts.port;
    if (port.isOpen() && number != port.portNumber()) {
        // The open port belongs to the entry chosen before: it closes, so that the next opening
        // uses the new entry. Not under a running operation, which talks to that port.
        if (m_dialogue.busy()) {
            const QSignalBlocker quiet(Combo1);
            Combo1->setCurrentIndex(port.portNumber() - 1);
            m_indicators.setStatus(indicator_texts::kOperationRunning);
            return;
        }
        const QString closed = port.portLabel();
        port.close();
        setBackColour(Command10, colours::kButtonFace);
        m_indicators.setLink(QStringLiteral("Port %1 fermé").arg(closed), colours::kBlue);
        m_indicators.setLinkVisible(true);
    }
    port.setPortNumber(number);
    // The ports are read again when the list opens, when the user picks an entry, and at each
    // opening of the port, not at every selection: start-up selects all twelve entries in turn.
    if (m_parts.ports) m_parts.ports->remember(number);
    Combo1->setToolTip(m_parts.ports ? m_parts.ports->entryText(number) : port.deviceName());
}

void Form2::describePorts() {
    if (!m_parts.ports) return;
    m_parts.ports->refresh();
    for (int i = 0; i < Combo1->count(); ++i)
        Combo1->setItemData(i, m_parts.ports->entryText(i + 1), Qt::UserRole);
    // The list opens wide enough for the longest description, not just for "COM12".
    QAbstractItemView *list = Combo1->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) +
                          list->verticalScrollBar()->sizeHint().width() + 2 * list->frameWidth());
    // What the user sees in the list is what the entry stands for from now on.
    takePortAsShown();
}

void Form2::takePortAsShown() {
    const int number = Combo1->currentIndex() + 1;
    // A running operation keeps the device it talks to.
    if (!m_dialogue.busy()) m_parts.ports->remember(number);
    Combo1->setToolTip(m_parts.ports->entryText(number));
}

void Form2::Command10_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        // Light green says that the port is open, never that it was tried.
        const bool wasOpen = m_parts.port->isOpen();
        const bool open = wasOpen || m_parts.port->open();
        setBackColour(Command10, open ? colours::kLightGreen : colours::kButtonFace);
        // A port that has just opened replaces what the link status said of an earlier failure.
        if (open && !wasOpen && m_indicators.linkText() == m_linkFailure) {
            m_indicators.setLink(QStringLiteral("Port %1 ouvert").arg(m_parts.port->portLabel()),
                                 colours::kBlue);
            m_indicators.setLinkVisible(true);
        }
        return;
    }
    if (m_parts.port->isOpen()) m_parts.port->close();
    setBackColour(Command10, colours::kButtonFace);
    m_indicators.timer3().stop();
    m_indicators.setLink(indicator_texts::kDisconnected, colours::kBlue);
    m_indicators.setLinkVisible(true);
}

void Form2::showLinkProblem(const QString &message) {
    // A link that cannot be opened or that vanished never stops the program: the status says
    // why and keeps saying it until the user acts.
    m_linkFailure = message;
    m_indicators.setLink(message, colours::kRed);
    m_indicators.setLinkVisible(true);
}

void Form2::onPortLost() {
    setBackColour(Command10, colours::kButtonFace);
    // Real-time reading has no operation waiting: it stops here. A waiting operation ends by
    // itself and says so.
    if (m_receive.ReplaceFlag && !m_dialogue.busy()) {
        m_receive.ReplaceFlag = false;
        m_indicators.setStatus(QStringLiteral("Lecture en temps réel interrompue : port perdu"));
    }
    settleLiveFile(); // the last bytes, delivered as the port went, are in it
}

void Form2::Text1_Change() {
    Text1->moveCaretToEnd();
}

void Form2::Text1_Click() {
    Text1->setToolTip(QString::number(Text1->textCursor().position()));
}
