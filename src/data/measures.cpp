#include "data/measures.h"

#include "data/filereason.h"
#include "data/sampledecoder.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>

namespace {

constexpr qsizetype kReadBlock = 1 << 20;
constexpr qsizetype kWriteBlock = 1 << 20;
constexpr int kDigits = 15;
// Room for one number (sign, 15 digits, up to 29 decimals, separator) and for a whole row.
constexpr int kLongestNumber = 64;
constexpr qsizetype kLongestRow = (kChannels + 1) * (kLongestNumber + 1) + 2;
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

class MeasuresWriter {
public:
    MeasuresWriter(QIODevice &recording, QIODevice &out, const MeasuresLayout &layout)
        : m_recording(recording), m_output(out), m_interval(layout.interval),
          m_firstRow(layout.firstRow),
          m_point(layout.locale.decimalPoint() == QLatin1String(",") ? ',' : '.') {
        for (int k = 0; k < kChannels; ++k) {
            m_factor[k] = layout.channels.channels[k].calibration.factor();
            m_offset[k] = layout.channels.channels[k].calibration.offset();
        }
        m_row.fill(kEmpty);
        QByteArrayList titles;
        if (m_interval > 0) titles << "Temps (s)";
        for (int k = 0; k < kChannels; ++k)
            titles << headerCell(layout.channels.title(k));
        // The header starts the output buffer, with a whole block free behind it.
        m_out = "\xEF\xBB\xBF" + titles.join(';') + "\r\n";
        m_used = m_out.size();
        m_out.resize(m_used + kWriteBlock);
    }

    ConversionReport run() {
        if (!m_recording.isReadable())
            return fail(m_report.readError,
                        QStringLiteral("L'enregistrement n'est pas ouvert en lecture."));
        if (!m_output.isWritable())
            return fail(m_report.writeError,
                        QStringLiteral("Le fichier tableur n'est pas ouvert en écriture."));
        QByteArray in(kReadBlock, Qt::Uninitialized);
        auto onField = [this](const SampleField &field) { take(field); };
        while (m_report.ok()) {
            const qint64 got = m_recording.read(in.data(), in.size());
            if (got < 0)
                return fail(m_report.readError,
                            QStringLiteral("La lecture de l'enregistrement a échoué."));
            if (got == 0) break;
            m_decoder.feed(QByteArrayView(in.constData(), got), onField);
        }
        m_decoder.finish(onField);
        if (m_rowOpen) endRow(); // the last row, unfinished
        m_report.damage = m_decoder.damage();
        flush();
        auto *file = qobject_cast<QFileDevice *>(&m_output);
        if (m_report.ok() && file && !file->flush()) writeFailed();
        return m_report;
    }

private:
    void take(const SampleField &field) {
        m_rowOpen = true;
        if (!field.value.valid) {
            ++m_report.invalidFields;
            if (m_report.firstInvalidLine == 0) m_report.firstInvalidLine = field.line;
        } else if (field.column < kChannels) {
            m_row[field.column] = field.value.value;
        }
        if (field.endsRow) endRow();
    }

    void endRow() {
        if (m_used + kLongestRow > m_out.size()) flush();
        char *out = m_out.data() + m_used;
        if (m_interval > 0) {
            out = writeNumber(out, double(m_firstRow + m_rows) * m_interval, m_point);
            *out++ = ';';
        }
        for (int k = 0; k < kChannels; ++k) {
            if (m_row[k] != kEmpty) {
                out = writeNumber(out, m_offset[k] + m_factor[k] * m_row[k], m_point);
                ++m_report.values;
            }
            *out++ = k + 1 < kChannels ? ';' : '\r';
        }
        *out++ = '\n';
        m_used = out - m_out.data();
        m_row.fill(kEmpty);
        m_rowOpen = false;
        ++m_rows;
    }

    void flush() {
        if (m_used == 0 || !m_report.ok()) return;
        if (m_output.write(m_out.constData(), m_used) != m_used) writeFailed();
        m_used = 0;
    }

    void writeFailed() {
        const int cause = errno;
        const bool file = qobject_cast<QFileDevice *>(&m_output) != nullptr;
        fail(m_report.writeError,
             QStringLiteral("L'écriture du fichier tableur a échoué : %1.")
                 .arg(file ? filereason::systemReason(cause)
                           : QStringLiteral("le support n'accepte plus de données")));
    }

    ConversionReport fail(bool &which, const QString &reason) {
        which = true;
        m_report.error = reason;
        return m_report;
    }

    QIODevice &m_recording;
    QIODevice &m_output;
    double m_interval = 0;
    qint64 m_firstRow = 0;
    char m_point = '.';
    std::array<double, kChannels> m_factor{};
    std::array<double, kChannels> m_offset{};
    QByteArray m_out;
    qsizetype m_used = 0;
    std::array<qint32, kChannels> m_row{};
    bool m_rowOpen = false;
    qint64 m_rows = 0;
    SampleDecoder m_decoder;
    ConversionReport m_report;
};

} // namespace

ConversionReport writeMeasures(QIODevice &recording, QIODevice &out, const MeasuresLayout &layout) {
    return MeasuresWriter(recording, out, layout).run();
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
