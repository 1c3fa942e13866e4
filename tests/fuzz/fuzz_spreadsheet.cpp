// Recording to spreadsheet: any recording converts into the header followed by cells, each a
// 16-bit value or empty, one cell for every field that the reading rules find, and converting the
// same recording again gives the same bytes.
#include "check.h"
#include "data/spreadsheet.h"

#include <QBuffer>

#include <cstdint>

namespace {

// Fields of a recording counted straight from the reading rules: lines end at CR (CR LF is one
// end); a line with a "." is a sample line; its field area is the text before the first "." less
// one character; a field starts every 5 characters, at positions (from 1) below the area's length.
qint64 countFields(const QByteArray &recording) {
    qint64 fields = 0;
    qsizetype lineStart = 0;
    while (lineStart < recording.size()) {
        qsizetype end = recording.indexOf('\r', lineStart);
        if (end < 0) end = recording.size();
        // The "." is d characters into the line: fields start at 1, 6, 11... below d - 1.
        const qsizetype d =
            QByteArrayView(recording).first(end).indexOf('.', lineStart) - lineStart;
        if (d > 2) fields += (d - 3) / 5 + 1;
        lineStart = end + 1;
        if (lineStart < recording.size() && recording[lineStart] == '\n') ++lineStart;
    }
    return fields;
}

QByteArray convert(QByteArray recording, ConversionReport *report) {
    QBuffer in(&recording), out;
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    *report = convertRecording(in, out);
    return out.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray recording(reinterpret_cast<const char *>(data), qsizetype(size));
    ConversionReport report;
    const QByteArray output = convert(recording, &report);
    FUZZ_CHECK(report.ok());

    const QByteArray header("Voie1;Voie2;Voie3\r\n");
    FUZZ_CHECK(output.startsWith(header));

    // Every cell ends with ";", rows end with CR LF; a cell is empty or a decimal 16-bit value.
    qint64 cells = 0;
    qint64 values = 0;
    for (const QByteArray &row : output.sliced(header.size()).split('\n')) {
        QByteArray text = row.endsWith('\r') ? row.chopped(1) : row;
        if (text.isEmpty()) continue;
        FUZZ_CHECK(text.endsWith(';') && !text.contains('\r'));
        text.chop(1);
        for (const QByteArray &cell : text.split(';')) {
            ++cells;
            if (cell.isEmpty()) continue;
            ++values;
            bool ok = false;
            const int value = cell.toInt(&ok);
            FUZZ_CHECK(ok && value >= -32768 && value <= 32767);
            FUZZ_CHECK(QByteArray::number(value) == cell); // no blanks, no leading zeros
        }
    }
    FUZZ_CHECK(cells == countFields(recording));
    FUZZ_CHECK(values == report.values);
    FUZZ_CHECK(cells - values == report.invalidFields);

    ConversionReport again;
    FUZZ_CHECK(convert(recording, &again) == output);
    return 0;
}
