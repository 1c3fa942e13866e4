#pragma once

#include <QByteArray>
#include <QString>

// The Windows test programs have no pseudo-terminal: this one never opens. The cases that need
// one are skipped before they make it (boardline.h); it is here so that they still build.
class PseudoTerminal {
public:
    bool open(QString *error = nullptr) {
        if (error) *error = QStringLiteral("no pseudo-terminal on Windows");
        return false;
    }
    void close() {}
    bool isOpen() const { return false; }
    QString slavePath() const { return {}; }
    qint64 write(const QByteArray &) { return -1; }
    QByteArray readAll() { return {}; }
    int pendingOnSlave() const { return 0; }
    void discardPendingOnSlave() {}
    bool holdSlaveOutput(bool) { return false; }
};
