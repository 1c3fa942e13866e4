#pragma once

#include "data/hexfield.h"

#include <QByteArray>
#include <QByteArrayView>

#include <algorithm>
#include <cstring>

// One sample field of a recording.
struct SampleField {
    HexResult value;
    int index = 0;   // place of the field within its sample line, from 0; its channel is index % 3
    qint64 line = 0; // line of the recording it stands on, from 1
};

// Reads the sample fields of a recording that arrives in chunks of any size: a whole file, the
// blocks of a file read piece by piece, or what the board sends during a download or a live
// reading. Every reader of samples (the spreadsheet conversion, the chart) goes through it, so
// they all see the same values in the same order.
//
// A line ends at a CR, a CR LF counting as one end, also when the CR closes one chunk and its LF
// opens the next. A line holding a "." is a sample line; its field area is the text before its
// first "." less the one separator just before it, cut into 4-character fields every 5 characters
// (the last one possibly shorter). Other lines carry no samples but still count as lines.
//
// feed() and finish() call onField(const SampleField &) for every field of each line they
// complete, in order. A line that runs across chunks is kept until its end arrives; finish() reads
// an unterminated last line. The callback is inlined, which keeps the spreadsheet conversion at
// hundreds of megabytes a second.
class SampleDecoder {
public:
    static constexpr int kChannels = 3;

    template <typename OnField> void feed(QByteArrayView chunk, OnField &&onField) {
        const char *data = chunk.data();
        const qsizetype size = chunk.size();
        qsizetype start = 0;
        if (m_skipLf && size > 0) {
            m_skipLf = false;
            if (data[0] == '\n') start = 1;
        }
        while (start < size) {
            const auto *cr =
                static_cast<const char *>(std::memchr(data + start, '\r', size - start));
            if (!cr) break;
            const qsizetype end = cr - data;
            if (m_pending.isEmpty()) {
                line(data + start, end - start, onField);
            } else {
                m_pending.append(data + start, end - start);
                line(m_pending.constData(), m_pending.size(), onField);
                m_pending.clear();
            }
            start = end + 1;
            if (start == size)
                m_skipLf = true;
            else if (data[start] == '\n')
                ++start;
        }
        if (start < size) m_pending.append(data + start, size - start);
    }

    // Reads the last line when the recording does not end with a line end.
    template <typename OnField> void finish(OnField &&onField) {
        if (!m_pending.isEmpty()) line(m_pending.constData(), m_pending.size(), onField);
        m_pending.clear();
        m_skipLf = false;
    }

    // Forgets any unfinished line and starts counting lines from 1 again.
    void reset() {
        m_pending.clear();
        m_skipLf = false;
        m_lines = 0;
    }

    // Lines completed so far.
    qint64 lines() const { return m_lines; }

private:
    static constexpr int kFieldWidth = 4;
    static constexpr int kFieldStep = 5;

    template <typename OnField> void line(const char *text, qsizetype length, OnField &onField) {
        ++m_lines;
        const auto *dot = static_cast<const char *>(std::memchr(text, '.', length));
        if (!dot) return;
        // The field area stops one separator before the first "."; a line starting with "."
        // has none at all.
        const qsizetype area = (dot - text) - 1;
        int index = 0;
        for (qsizetype start = 0; start + 1 < area; start += kFieldStep, ++index) {
            const qsizetype width = std::min<qsizetype>(kFieldWidth, area - start);
            onField(SampleField{convertion_hex_dec(QByteArrayView(text + start, width)), index,
                                m_lines});
        }
    }

    QByteArray m_pending;  // start of a line whose end has not arrived yet
    bool m_skipLf = false; // the last chunk ended with a CR: a LF opening the next belongs to it
    qint64 m_lines = 0;
};
