// Dump layout of received chunks: whatever the bytes, the layout only adds blanks after each pair
// of a record, turns each "." into CR LF and closes with CR LF; removing that gives the input back.
#include "check.h"
#include "data/dump.h"

#include <QByteArrayList>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray dump = dumpLayout(text);

    // Undone: the blank after each whole pair and the record ends removed, the "."s put back.
    const QByteArrayList records = text.split('.');
    QByteArray undone;
    qsizetype at = 0;
    for (qsizetype r = 0; r < records.size(); ++r) {
        const qsizetype length = records[r].size();
        for (qsizetype taken = 0; taken < length; ++taken) {
            FUZZ_CHECK(at < dump.size());
            undone += dump[at++];
            if (taken % 2 == 1) {
                FUZZ_CHECK(dump.mid(at, 1) == " ");
                ++at;
            }
        }
        FUZZ_CHECK(dump.mid(at, 2) == "\r\n");
        at += 2;
        if (r + 1 < records.size()) undone += '.';
    }
    FUZZ_CHECK(at == dump.size());
    FUZZ_CHECK(undone == text);
    return 0;
}
