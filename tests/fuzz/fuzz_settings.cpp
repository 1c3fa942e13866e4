// Settings file: any bytes can be read. Writing the four settings back changes only the lines that
// hold them (adding a section at the end of the file for one that is missing), and reading again
// gives the four values written.
//
// The file is compared as lines: split at LF, one CR just before the LF dropped, a final empty
// piece after the last LF not being a line. The writer ends every line with CR LF, so line ends
// are all that may change in the lines it does not own.
#include "check.h"
#include "data/profile.h"
#include "data/settings.h"

#include <QByteArrayList>

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <optional>

namespace {

// The sections of the four settings, as the writer names them when it adds them.
const std::array<QByteArray, 4> kSections = {"COM", "temporisation", "select", "index"};

QByteArrayList linesOf(QByteArray content) {
    // A UTF-8 byte-order mark at the start belongs to no line (and is kept when rewriting).
    if (content.startsWith("\xEF\xBB\xBF")) content.remove(0, 3);
    QByteArrayList lines = content.split('\n');
    if (lines.last().isEmpty()) lines.removeLast();
    for (QByteArray &line : lines)
        if (line.endsWith('\r')) line.chop(1);
    return lines;
}

QByteArrayView blanksTrimmed(QByteArrayView text) {
    while (text.startsWith(' ') || text.startsWith('\t'))
        text = text.sliced(1);
    while (text.endsWith(' ') || text.endsWith('\t'))
        text.chop(1);
    return text;
}

std::optional<QByteArrayView> headerName(QByteArrayView line) {
    const QByteArrayView trimmed = blanksTrimmed(line);
    const qsizetype close = trimmed.indexOf(']');
    if (!trimmed.startsWith('[') || close < 0) return std::nullopt;
    return blanksTrimmed(trimmed.sliced(1, close - 1));
}

// Index of the line holding section's "valeur", or -1; whether the section exists at all.
qsizetype valueLine(const QByteArrayList &lines, const QByteArray &section, bool *found) {
    *found = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const qsizetype equals = lines[i].indexOf('=');
        const QByteArrayView key = blanksTrimmed(QByteArrayView(lines[i]).first(qMax(equals, 0)));
        if (const auto name = headerName(lines[i])) {
            if (*found) return -1;
            *found = name->compare(section, Qt::CaseInsensitive) == 0;
        } else if (*found && equals >= 0 && key.compare("valeur", Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

// The lines that hold none of the four settings.
QByteArrayList otherLines(const QByteArrayList &lines) {
    QList<bool> owned(lines.size(), false);
    for (const QByteArray &section : kSections) {
        bool found = false;
        if (const qsizetype at = valueLine(lines, section, &found); at >= 0) owned[at] = true;
    }
    QByteArrayList other;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!owned[i]) other << lines[i];
    return other;
}

// A value as the window could write it and reading gives it back whole: no line break, NUL or
// surrounding blanks, no longer than the read buffer keeps.
QByteArray plainValue(FuzzedDataProvider &input, size_t longest) {
    QByteArray value = QByteArray::fromStdString(input.ConsumeRandomLengthString(longest));
    value.replace('\r', 'r').replace('\n', 'n').replace('\0', '0');
    return blanksTrimmed(value).toByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    const QByteArray port = plainValue(input, 29);
    const QByteArray freeValue = plainValue(input, 9);
    const bool ticked = input.ConsumeBool();
    const int index = input.ConsumeIntegralInRange(-1, 4);
    const QByteArray before = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    // In memory: the file itself is written by the same code, which the settings tests run.
    Profile profile = Profile::inMemory(before);
    readSettings(profile);
    FUZZ_CHECK(saveSettings(profile, port, freeValue, ticked, index));

    const QByteArray after = profile.content();
    FUZZ_CHECK(after.isEmpty() || after.endsWith("\r\n"));
    FUZZ_CHECK(after.startsWith("\xEF\xBB\xBF") == before.startsWith("\xEF\xBB\xBF"));

    // The other lines survive in order; a missing section comes back at the end, header first.
    const QByteArrayList beforeLines = linesOf(before);
    QByteArrayList expected = otherLines(beforeLines);
    for (const QByteArray &section : kSections) {
        bool found = false;
        valueLine(beforeLines, section, &found);
        if (!found) expected << '[' + section + ']';
    }
    FUZZ_CHECK(otherLines(linesOf(after)) == expected);

    const StoredSettings read = readSettings(profile);
    FUZZ_CHECK(read.port == port);
    FUZZ_CHECK(read.freeValue == freeValue);
    FUZZ_CHECK(read.select == (ticked ? "1" : "0"));
    FUZZ_CHECK(read.index == QByteArray::number(index));
    return 0;
}
