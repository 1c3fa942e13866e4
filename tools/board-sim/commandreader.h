#pragma once

#include <QByteArray>

#include <optional>

// A complete command from the program: its word and the three bytes that followed it.
struct Command {
    QByteArray word; // "RAZ", "Transfert", "Param", "TR" or "eeprom"
    QByteArray trailer;
};

// Collects the bytes the program sends and picks the commands out of them. Bytes may arrive one at
// a time or many at once. Anything that cannot start a command is thrown away, so stray bytes never
// stop a later command from being understood. A trailer must be 0x01 0x01 0x01 ("Param": any two
// bytes, then 0x01); a word followed by anything else counts as stray bytes too.
class CommandReader {
public:
    void feed(const QByteArray &bytes) { m_pending += bytes; }
    // The next complete command, if the bytes fed so far hold one.
    std::optional<Command> take();
    // Bytes thrown away since the last call.
    QByteArray takeDiscarded();
    void clear() { m_pending.clear(); }

private:
    enum class Match { None, Partial, Invalid, Complete };
    Match matchAtStart(Command *command) const;

    QByteArray m_pending;
    QByteArray m_discarded;
};
