#pragma once

#include "commandreader.h"
#include "content.h"
#include "options.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>

class Wire;

// The board's firmware as the program sees it. While idle it announces itself round after round:
// the banner "PIC 16F88" alone, then the name of each operation, every text a burst of its own.
// A command stops the announcements; the board answers it and then starts announcing again.
//
// Everything the board says is a script of steps: a burst of bytes, then a pause once the burst
// has left the line. Bursts are kept at least a gap apart because the program gathers what
// arrives within 100 ms into one chunk and recognises the banner and names only as whole chunks.
class Board : public QObject {
    Q_OBJECT
public:
    Board(const Options &options, Wire *wire, QObject *parent = nullptr);
    void start();

private:
    struct Step {
        QByteArray bytes;
        std::chrono::milliseconds pause{0};
        bool reply = false;    // part of an answer to the program, never thrown away unread
        bool recorded = false; // a sample line the board also keeps in its memory once sent
    };

    void received(const QByteArray &bytes);
    void answer(const Command &command);
    void announceRound();
    void nextStep();
    void stepSent();
    void dropStaleAnnouncements();

    std::deque<Step> downloadReply();
    std::deque<Step> periodReply(const QByteArray &trailer);
    std::deque<Step> liveReply();
    std::deque<Step> eepromReply();
    // The end text of a reply, or its two halves far apart when the board splits end texts.
    void appendEnd(std::deque<Step> *steps, const QByteArray &body, const QByteArray &word,
                   const QByteArray &lineEnd) const;
    QByteArray garbage();

    Options m_options;
    Wire *m_wire = nullptr;
    CommandReader m_reader;
    Eeprom m_eeprom;
    QByteArray m_memory; // the recorded samples, as the download sends them
    std::deque<Step> m_script;
    QTimer m_pause;
    bool m_busy = false;        // answering a command: the board does not listen meanwhile
    bool m_sending = false;     // the current step's burst is still on the line
    bool m_replyUnread = false; // an answer may still sit unread on the line
    std::chrono::milliseconds m_currentPause{0};
    std::uint32_t m_garbageState = 0xC0FFEEu;
};
