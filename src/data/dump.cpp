#include "data/dump.h"

QByteArray dumpLayout(QByteArrayView text) {
    QByteArray dump;
    // Every input byte gives at most two output bytes: itself and a blank, or CR LF for a ".".
    dump.reserve(2 * text.size() + 2);
    // The counter says which member of a pair the current character is (1 or 2); a blank follows
    // the second. A "." restarts the pairing, so the character after it is a first member again.
    int counter = 1;
    for (char c : text) {
        if (c == '.') {
            dump.append("\r\n", 2);
            counter = 0;
        } else {
            dump.append(c);
        }
        if (counter == 2) {
            dump.append(' ');
            counter = 0;
        }
        ++counter;
    }
    dump.append("\r\n", 2);
    return dump;
}
