#include "data/measures.h"

#include "data/recordingwriter.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr int kDigits = 15;
// Room for one number (sign, 15 digits, up to 29 decimals, separator) and for a whole row.
constexpr int kLongestNumber = 64;
constexpr int kLongestMoment = 23; // "2026-12-06 14:03:12.500"
constexpr qsizetype kLongestRow = (kChannels + 1) * (kLongestNumber + 1) + kLongestMoment + 3;
constexpr qint32 kEmpty = -1; // a cell of the row that holds no value

char *writeNumber(char *out, double value, char decimalPoint) {
    if (value == 0) value = 0; // no "-0"
    const double magnitude = std::abs(value);
    char *end = nullptr;
    if (magnitude != 0 && (magnitude < 1e-15 || magnitude >= 1e15)) {
        end = std::to_chars(out, out + kLongestNumber, value, std::chars_format::general, kDigits)
                  .ptr;
    } else {
        const int exponent = magnitude == 0 ? 0 : int(std::floor(std::log10(magnitude)));
        const int decimals = std::max(0, kDigits - 1 - exponent);
        end =
            std::to_chars(out, out + kLongestNumber, value, std::chars_format::fixed, decimals).ptr;
        if (decimals > 0) {
            while (end[-1] == '0')
                --end;
            if (end[-1] == '.') --end;
        }
    }
    if (decimalPoint != '.') std::replace(out, end, '.', decimalPoint);
    return end;
}

// A header cell, quoted when it holds the separator, a quote or a line break.
QByteArray headerCell(const QString &title) {
    QByteArray cell = title.toUtf8();
    if (!cell.contains(';') && !cell.contains('"') && !cell.contains('\r') && !cell.contains('\n'))
        return cell;
    return '"' + cell.replace("\"", "\"\"") + '"';
}

char *writeDigits(char *out, int value, int digits) {
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        out[i] = char('0' + value % 10);
    return out + digits;
}

// The date and time of each row, written digit by digit rather than through QDateTime's
// formatting; the date's text is made again only when it changes.
class RowMoments {
public:
    explicit RowMoments(const SampleClock &clock) : m_clock(clock) {
        if (!clock.known()) return;
        m_known = true;
        const auto hasMsecs = [](const QDateTime &t) { return t.time().msec() != 0; };
        m_msecs = hasMsecs(clock.start) || std::fmod(clock.interval * 1000.0, 1000.0) != 0 ||
                  std::any_of(clock.arrivals.cbegin(), clock.arrivals.cend(),
                              [&](const auto &arrival) { return hasMsecs(arrival.second); });
    }
    bool known() const { return m_known; }

    char *write(char *out, qint64 row) {
        const QDateTime moment = momentOf(row);
        if (moment.date() != m_date) {
            m_date = moment.date();
            char *d = writeDigits(m_dateText, m_date.year(), 4);
            *d++ = '-';
            d = writeDigits(d, m_date.month(), 2);
            *d++ = '-';
            writeDigits(d, m_date.day(), 2);
        }
        out = std::copy(m_dateText, m_dateText + 10, out);
        *out++ = ' ';
        const QTime time = moment.time();
        out = writeDigits(out, time.hour(), 2);
        *out++ = ':';
        out = writeDigits(out, time.minute(), 2);
        *out++ = ':';
        out = writeDigits(out, time.second(), 2);
        if (m_msecs) {
            *out++ = '.';
            out = writeDigits(out, time.msec(), 3);
        }
        return out;
    }

private:
    // As SampleClock::at, walking the arrivals forward as the rows do.
    QDateTime momentOf(qint64 row) {
        if (m_clock.arrivals.isEmpty()) return m_clock.at(row);
        while (m_arrival + 1 < m_clock.arrivals.size() &&
               m_clock.arrivals[m_arrival + 1].first <= row)
            ++m_arrival;
        return m_clock.arrivals[m_arrival].second;
    }

    const SampleClock &m_clock;
    bool m_known = false;
    bool m_msecs = false;
    qsizetype m_arrival = 0;
    QDate m_date;
    char m_dateText[10] = {};
};

// Each row's time and its first three cells through their channels' calibrations, written once
// the row is complete; no ";" after the last cell.
class MeasureCells {
public:
    static constexpr qsizetype kLongestPiece = kLongestRow;

    explicit MeasureCells(const MeasuresLayout &layout)
        : m_interval(layout.interval), m_firstRow(layout.firstRow), m_moments(layout.clock),
          m_point(layout.locale.decimalPoint() == QLatin1String(",") ? ',' : '.') {
        for (int k = 0; k < kChannels; ++k) {
            m_factor[k] = layout.channels.channels[k].calibration.factor();
            m_offset[k] = layout.channels.channels[k].calibration.offset();
            m_titles << headerCell(layout.channels.title(k));
        }
        if (m_moments.known()) m_titles.prepend("Date et heure");
        if (m_interval > 0) m_titles.prepend("Temps (s)");
        m_row.fill(kEmpty);
    }

    QByteArray header() const { return "\xEF\xBB\xBF" + m_titles.join(';') + "\r\n"; }

    char *field(char *out, const SampleField &field, qint64 &values) {
        m_rowOpen = true;
        if (field.value.valid && field.column < kChannels) m_row[field.column] = field.value.value;
        return field.endsRow ? endRow(out, values) : out;
    }

    // The last row, unfinished.
    char *end(char *out, qint64 &values) { return m_rowOpen ? endRow(out, values) : out; }

private:
    char *endRow(char *out, qint64 &values) {
        if (m_interval > 0) {
            out = writeNumber(out, double(m_firstRow + m_rows) * m_interval, m_point);
            *out++ = ';';
        }
        if (m_moments.known()) {
            out = m_moments.write(out, m_firstRow + m_rows);
            *out++ = ';';
        }
        for (int k = 0; k < kChannels; ++k) {
            if (m_row[k] != kEmpty) {
                out = writeNumber(out, m_offset[k] + m_factor[k] * m_row[k], m_point);
                ++values;
            }
            *out++ = k + 1 < kChannels ? ';' : '\r';
        }
        *out++ = '\n';
        m_row.fill(kEmpty);
        m_rowOpen = false;
        ++m_rows;
        return out;
    }

    double m_interval = 0;
    qint64 m_firstRow = 0;
    RowMoments m_moments;
    char m_point = '.';
    std::array<double, kChannels> m_factor{};
    std::array<double, kChannels> m_offset{};
    QByteArrayList m_titles;
    std::array<qint32, kChannels> m_row{};
    bool m_rowOpen = false;
    qint64 m_rows = 0;
};

} // namespace

ConversionReport writeMeasures(QIODevice &recording, QIODevice &out, const MeasuresLayout &layout) {
    MeasureCells cells(layout);
    return RecordingWriter(recording, out).run(cells);
}

ConversionReport writeMeasuresFile(const QString &recordingPath, const QString &outputPath,
                                   const MeasuresLayout &layout) {
    return convertFile(recordingPath, outputPath, [&](QIODevice &recording, QIODevice &out) {
        return writeMeasures(recording, out, layout);
    });
}

QString measureText(double value, QChar decimalPoint) {
    char text[kLongestNumber];
    const char *end = writeNumber(text, value, char(decimalPoint.unicode()));
    return QString::fromLatin1(text, end - text);
}
