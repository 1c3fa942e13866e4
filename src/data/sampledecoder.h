#pragma once

#include "data/channels.h"
#include "data/hexfield.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstring>

// One sample field of a recording, with its place in the spreadsheet the conversion writes.
struct SampleField {
    HexResult value;
    qint64 line = 0;      // line of the recording it stands on, from 1
    qint64 column = 0;    // column of its spreadsheet row, from 0 (a row may run past the third)
    bool endsRow = false; // a CR LF follows it in the spreadsheet
};

// What a recording's shape says about it beyond its fields: a board ends every line with CR LF and
// sends lines of a few tens of characters.
enum class RecordingDamage {
    None,
    LfLineEnds, // lines mostly end with a LF alone: a tool changed the line ends
    NoLineEnd,  // not a single line end in a recording that is not empty
    LongLines,  // a line longer than SampleDecoder::kLongestLine
};

// Reads the sample fields of a recording that arrives in chunks of any size: a whole file, the
// blocks of a file read piece by piece, or what the board sends during a download or a live
// reading. Every reader of samples (the spreadsheet conversion, the chart) goes through it, so
// they all see the same values in the same rows.
//
// A line ends at a CR, a CR LF counting as one end, also when the CR closes one chunk and its LF
// opens the next. A line holding a "." is a sample line; its field area is the text before its
// first "." less the one separator just before it, cut into 4-character fields every 5 characters
// (the last one possibly shorter). Other lines carry no samples but still count as lines.
//
// Rows: the third field of a sample line, and every third one after it, ends a spreadsheet row;
// the fields of a line whose count is not a multiple of three open a row that the next sample line
// continues.
//
// Memory stays bounded whatever the input. Of a line that runs across chunks only the text up to
// its first "." is kept, and of that at most kLongestLine characters: a line whose first "." comes
// later than that is damaged, and each of its fields is an invalid one (counted, not decoded).
//
// feed() and finish() call onField(const SampleField &) for every field of each line they
// complete, in order. finish() reads an unterminated last line. The callback is inlined, which
// keeps the spreadsheet conversion at hundreds of megabytes a second.
class SampleDecoder {
public:
    // Far beyond any line a board sends (about twenty characters).
    static constexpr qsizetype kLongestLine = 64 * 1024;

    template <typename OnField> void feed(QByteArrayView chunk, OnField &&onField) {
        const char *data = chunk.data();
        const qsizetype size = chunk.size();
        m_bytes += size;
        m_lineFeeds += countLineFeeds(data, size);
        qsizetype start = 0;
        if (m_skipLf && size > 0) {
            m_skipLf = false;
            if (data[0] == '\n') {
                start = 1;
                ++m_crLfs;
            }
        }
        while (start < size) {
            const auto *cr =
                static_cast<const char *>(std::memchr(data + start, '\r', size - start));
            if (!cr) break;
            const qsizetype end = cr - data;
            ++m_carriageReturns;
            if (!m_open) {
                if (end - start > kLongestLine) ++m_longLines;
                line(data + start, end - start, onField);
            } else {
                keep(data + start, end - start);
                keptLine(onField);
            }
            start = end + 1;
            if (start == size) {
                m_skipLf = true;
            } else if (data[start] == '\n') {
                ++start;
                ++m_crLfs;
            }
        }
        if (start < size) keep(data + start, size - start);
    }

    // Reads the last line when the recording does not end with a line end.
    template <typename OnField> void finish(OnField &&onField) {
        if (m_open) keptLine(onField);
        m_skipLf = false;
    }

    // Forgets everything read so far: any unfinished line or row, the line count, the damage.
    void reset() { *this = SampleDecoder(); }

    // Lines completed so far.
    qint64 lines() const { return m_lines; }

    // The damage the recording shows so far; its line ends are only judged once it has been read.
    RecordingDamage damage() const {
        // Twice as many: random bytes (a noisy line) hold about as many lone LFs as CRs.
        const qint64 loneLineFeeds = m_lineFeeds - m_crLfs;
        if (loneLineFeeds > 2 * m_carriageReturns) return RecordingDamage::LfLineEnds;
        if (m_carriageReturns == 0 && m_bytes > 0) return RecordingDamage::NoLineEnd;
        if (m_longLines > 0) return RecordingDamage::LongLines;
        return RecordingDamage::None;
    }

private:
    static constexpr int kFieldWidth = 4;
    static constexpr int kFieldStep = 5;

    // Written so that the compiler counts 64 bytes at a time: std::count at -O2 would cost a tenth
    // of the conversion's time.
    static qint64 countLineFeeds(const char *data, qsizetype size) {
        qint64 count = 0;
        qsizetype i = 0;
        for (; i + 64 <= size; i += 64) {
            unsigned char block = 0;
            for (int k = 0; k < 64; ++k)
                block += data[i + k] == '\n';
            count += block;
        }
        for (; i < size; ++i)
            count += data[i] == '\n';
        return count;
    }

    // A whole line at hand.
    template <typename OnField> void line(const char *text, qsizetype length, OnField &onField) {
        ++m_lines;
        const auto *dot = static_cast<const char *>(std::memchr(text, '.', length));
        if (!dot) return;
        if (dot - text > kLongestLine) {
            damagedFields(dot - text, onField);
            return;
        }
        // The field area stops one separator before the first "."; a line starting with "."
        // has none at all.
        const qsizetype area = (dot - text) - 1;
        int index = 0;
        for (qsizetype start = 0; start + 1 < area; start += kFieldStep, ++index) {
            const qsizetype width = std::min<qsizetype>(kFieldWidth, area - start);
            field(convertion_hex_dec(QByteArrayView(text + start, width)), index, onField);
        }
    }

    // Keeps the next piece of a line whose end has not arrived: its text up to the first ".", as
    // long as that fits in kLongestLine; beyond that only the count of characters before the ".".
    void keep(const char *text, qsizetype length) {
        m_open = true;
        m_openLength += length;
        if (m_dotKept) return; // nothing after the first "." of a line is ever needed
        const auto *dot = static_cast<const char *>(std::memchr(text, '.', length));
        const qsizetype used = dot ? dot - text + 1 : length;
        m_dotKept = dot != nullptr;
        if (m_beforeDot < 0 && m_pending.size() + used <= kLongestLine + 1) {
            m_pending.append(text, used);
            return;
        }
        if (m_beforeDot < 0) {
            m_beforeDot = m_pending.size();
            m_pending = QByteArray(); // give the memory back: such a line is not a board's
        }
        m_beforeDot += used;
    }

    // Reads the line kept across chunks, now that its end has come.
    template <typename OnField> void keptLine(OnField &onField) {
        if (m_openLength > kLongestLine) ++m_longLines;
        if (m_beforeDot < 0) {
            line(m_pending.constData(), m_pending.size(), onField);
        } else {
            ++m_lines;
            if (m_dotKept) damagedFields(m_beforeDot - 1, onField); // less the "." itself
        }
        m_pending.clear();
        m_open = m_dotKept = false;
        m_openLength = 0;
        m_beforeDot = -1;
    }

    // The fields of a line whose first "." comes `beforeDot` characters in, too far for a board
    // line: they are counted as the rules cut them, each an invalid field.
    template <typename OnField> void damagedFields(qint64 beforeDot, OnField &onField) {
        const qint64 area = beforeDot - 1;
        int index = 0;
        for (qint64 start = 0; start + 1 < area; start += kFieldStep, index = (index + 1) % 3)
            field(HexResult{0, false}, index, onField);
    }

    template <typename OnField> void field(HexResult value, int index, OnField &onField) {
        const bool endsRow = index % kChannels == kChannels - 1;
        onField(SampleField{value, m_lines, m_column, endsRow});
        m_column = endsRow ? 0 : m_column + 1;
    }

    QByteArray m_pending;    // start of a line whose end has not arrived yet, up to its first "."
    bool m_open = false;     // a line runs on from an earlier chunk
    bool m_dotKept = false;  // m_pending (or m_beforeDot) reaches the line's first "."
    qint64 m_beforeDot = -1; // characters kept of an open line grown past kLongestLine, or -1
    qint64 m_openLength = 0; // characters of the open line so far
    bool m_skipLf = false;   // the last chunk ended with a CR: a LF opening the next belongs to it
    qint64 m_lines = 0;
    qint64 m_column = 0; // column of the next field in its spreadsheet row
    // For damage(): bytes, CRs, LFs, CR LF pairs and lines longer than kLongestLine seen so far.
    qint64 m_bytes = 0;
    qint64 m_carriageReturns = 0;
    qint64 m_lineFeeds = 0;
    qint64 m_crLfs = 0;
    qint64 m_longLines = 0;
};
