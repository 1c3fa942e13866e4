#pragma once

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QString>
#include <qcoro/qcorotask.h>

#include <functional>

class Dialogue;

// The five board operations. Each runs on the window's event loop from the click (or press) that
// starts it to its completion text, and reads like the list of its steps. A time-out ends an
// operation silently; an abort (right press on an operation button) lets it run on to its end
// without waiting for the board.

// "RAZ mémoire": erases the board's sample memory.
QCoro::Task<> memoryReset(Dialogue &dialogue);

// "Lecture en temps réel": puts the board in real-time mode; from then on each chunk replaces the
// receive area until a right press on the button.
QCoro::Task<> liveReading(Dialogue &dialogue);

// Right press on the period list's caption: reads the micro-controller's internal EEPROM into the
// receive area. The banner handshake is skipped while the link is shown as established.
QCoro::Task<> eepromReadout(Dialogue &dialogue);

// "Envoi programmation": sends the acquisition period code, low byte first.
QCoro::Task<> periodProgramming(Dialogue &dialogue, quint16 periodValue);

// "Téléchargement mémoire": downloads the board's memory into transfert_<DDMMYYYY>.txt in
// `directory`. When the recording cannot be written, `onWriteFailure` gets the bytes that should
// have been written and the reason, so the window can offer to save them elsewhere.
struct DownloadTarget {
    QDir directory;
    QDate date;
    std::function<void(const QString &path, const QByteArray &content, const QString &reason)>
        onWriteFailure;
};
QCoro::Task<> memoryDownload(Dialogue &dialogue, DownloadTarget target);
