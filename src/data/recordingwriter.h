#pragma once

#include "data/sampledecoder.h"
#include "data/spreadsheet.h"

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// What every conversion of a recording into a spreadsheet shares, whatever its cells hold: the
// recording read in blocks, its fields decoded by the one SampleDecoder, the output gathered in
// blocks of the same size and written whole, the invalid fields counted, and the failures said.
//
// A cell format writes the spreadsheet: its header, then what each field makes of it, and what
// is left once the recording has been read:
//
//     struct Format {
//         static constexpr qsizetype kLongestPiece; // most bytes field() or end() write at once
//         QByteArray header() const;
//         char *field(char *out, const SampleField &field, qint64 &values);
//         char *end(char *out, qint64 &values);
//     };
//
// field() and end() write at `out`, which has kLongestPiece bytes of room, return where they
// stopped and count the values they wrote. Conversion stops at the first read or write failure,
// the report saying which in French.
class RecordingWriter {
public:
    RecordingWriter(QIODevice &recording, QIODevice &out);

    template <typename Format> ConversionReport run(Format &format) {
        if (!start(format.header())) return m_report;
        SampleDecoder decoder;
        auto onField = [&](const SampleField &field) {
            if (!field.value.valid) {
                ++m_report.invalidFields;
                if (m_report.firstInvalidLine == 0) m_report.firstInvalidLine = field.line;
            }
            m_used = format.field(room(Format::kLongestPiece), field, m_report.values) - m_block;
        };
        while (const qint64 got = read())
            decoder.feed(QByteArrayView(m_in.constData(), got), onField);
        if (!m_report.ok()) return m_report;
        decoder.finish(onField);
        m_used = format.end(room(Format::kLongestPiece), m_report.values) - m_block;
        m_report.damage = decoder.damage();
        finish();
        return m_report;
    }

private:
    // Checks the devices, allocates the blocks and puts the header first in the output.
    bool start(const QByteArray &header);
    // The next block of the recording, in m_in: its size, 0 at its end or after a failure.
    qint64 read();
    // Where the next `count` bytes go, after writing the block out when they would not fit.
    char *room(qsizetype count) {
        if (m_used + count > m_out.size()) flush();
        return m_block + m_used;
    }
    // Writes what the block holds and empties it; after a failure, what is put in it is dropped.
    void flush();
    // Writes the last block and flushes a file.
    void finish();
    void failWrite();

    QIODevice &m_recording;
    QIODevice &m_output;
    QByteArray m_in;
    QByteArray m_out;
    char *m_block = nullptr; // m_out's data
    qsizetype m_used = 0;
    ConversionReport m_report;
};
