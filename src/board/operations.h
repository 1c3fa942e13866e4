#pragma once

#include <QByteArray>
#include <QDate>
#include <QDir>
#include <QString>
#include <qcoro/qcorotask.h>

#include <functional>

class Dialogue;

// The five board operations. Each runs on the window's event loop from the click (or press) that
// starts it to its completion text, and reads like the list of its steps. Until its command is
// sent, an operation that meets a time-out, a stop (right press on an operation button) or a lost
// port ends there, having sent nothing, and the status line says why. After the command, a stop
// ends the remaining waits after one pass; what arrived is kept, and the status line never claims
// a success the board did not confirm.

// "RAZ mémoire": erases the board's sample memory. `confirmed` runs once the board has said the
// erase is done, and only then.
QCoro::Task<> memoryReset(Dialogue &dialogue, std::function<void()> confirmed = {});

// "Lecture en temps réel": puts the board in real-time mode; from then on each chunk replaces the
// receive area until a right press on the button.
QCoro::Task<> liveReading(Dialogue &dialogue);

// Right press on the period list's caption, or Ctrl+E: reads the micro-controller's internal
// EEPROM into the receive area. The banner wait is skipped whenever the link status blinks
// (Timer3 running), which it does from the window's start-up on; only a right press on
// "Connexion" stops the blinking, until the next banner seen.
QCoro::Task<> eepromReadout(Dialogue &dialogue);

// "Envoi programmation": sends the acquisition period code, low byte first. `confirmed` runs once
// the board has confirmed the new period, and only then: not after a stop, a time-out or a lost
// port.
QCoro::Task<> periodProgramming(Dialogue &dialogue, quint16 periodValue,
                                std::function<void()> confirmed = {});

// "Téléchargement mémoire": downloads the board's memory into transfert_<DDMMYYYY>.txt in
// `directory`. When the recording cannot be written, `onWriteFailure` gets the bytes that should
// have been written and the reason, so the window can offer to save them elsewhere; it gives the
// path where they were saved, or nothing when they were not. The download ends only after it.
// `saved` gets the path of the file that holds the recording once it is written, wherever that is,
// and the samples it holds; the status line then says both ("..., 0 échantillon").
struct DownloadTarget {
    QDir directory;
    QDate date;
    std::function<QCoro::Task<QString>(QString path, QByteArray content, QString reason)>
        onWriteFailure;
    std::function<void(const QString &path, qint64 samples)> saved = {};
};
QCoro::Task<> memoryDownload(Dialogue &dialogue, DownloadTarget target);
