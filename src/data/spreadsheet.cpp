#include "data/spreadsheet.h"

#include "data/filereason.h"
#include "data/hexfield.h"

#include <QFile>
#include <QFileDevice>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr qsizetype kReadBlock = 1 << 20;
constexpr qsizetype kWriteBlock = 1 << 20;
// Room for the longest piece written at once: five digits, ";" and CR LF.
constexpr qsizetype kLongestPiece = 8;
constexpr int kValuesPerRow = 3;
constexpr int kFieldWidth = 4;
constexpr int kFieldStep = 5;

constexpr char kHeader[] = "Voie1;Voie2;Voie3\r\n";

class Converter {
public:
    explicit Converter(QIODevice &recording, QIODevice &spreadsheet)
        : m_recording(recording), m_spreadsheet(spreadsheet),
          m_out(kWriteBlock, Qt::Uninitialized) {}

    ConversionReport run() {
        if (!m_recording.isReadable())
            return failRead(QStringLiteral("L'enregistrement n'est pas ouvert en lecture."));
        if (!m_spreadsheet.isWritable())
            return failWrite(QStringLiteral("Le fichier tableur n'est pas ouvert en écriture."));
        put(kHeader, sizeof kHeader - 1);
        readLines();
        if (m_report.ok()) flush();
        if (m_report.ok()) flushDevice();
        return m_report;
    }

private:
    // Splits the recording into lines. A line may span block boundaries: its start is moved to
    // the front of the buffer before the next read, and the buffer grows for a line longer than
    // itself. A CR closing one block may have its LF at the start of the next.
    void readLines() {
        QByteArray in(kReadBlock, Qt::Uninitialized);
        qsizetype filled = 0;
        bool skipLf = false;
        while (m_report.ok()) {
            if (filled == in.size()) in.resize(in.size() * 2);
            char *base = in.data();
            const qint64 got = m_recording.read(base + filled, in.size() - filled);
            if (got < 0) {
                failRead(QStringLiteral("La lecture de l'enregistrement a échoué."));
                return;
            }
            if (got == 0) {
                if (filled > 0) sampleLine(base, filled);
                return;
            }
            qsizetype start = 0;
            qsizetype scan = filled; // bytes before scan are known to hold no CR
            if (skipLf) {
                skipLf = false;
                if (base[0] == '\n') start = scan = 1;
            }
            filled += got;
            while (scan < filled) {
                const auto *cr =
                    static_cast<const char *>(std::memchr(base + scan, '\r', filled - scan));
                if (!cr) break;
                const qsizetype end = cr - base;
                sampleLine(base + start, end - start);
                start = end + 1;
                if (start == filled)
                    skipLf = true;
                else if (base[start] == '\n')
                    ++start;
                scan = start;
            }
            filled -= start;
            if (start > 0 && filled > 0) std::memmove(base, base + start, filled);
        }
    }

    void sampleLine(const char *line, qsizetype length) {
        ++m_lineNumber;
        const auto *dot = static_cast<const char *>(std::memchr(line, '.', length));
        if (!dot) return;
        // The field area stops one separator before the first "."; a line starting with "."
        // has none at all.
        const qsizetype area = (dot - line) - 1;
        int rowCount = 0;
        for (qsizetype start = 0; start + 1 < area; start += kFieldStep) {
            const qsizetype width = std::min<qsizetype>(kFieldWidth, area - start);
            cell(convertion_hex_dec(QByteArrayView(line + start, width)));
            if (++rowCount == kValuesPerRow) {
                rowCount = 0;
                put("\r\n", 2);
            }
        }
    }

    void cell(HexResult result) {
        if (m_used + kLongestPiece > m_out.size()) flush();
        char *out = m_out.data() + m_used;
        if (result.valid) {
            ++m_report.values;
            char digits[8];
            int count = 0;
            unsigned value = static_cast<quint16>(result.value);
            do {
                digits[count++] = char('0' + value % 10);
                value /= 10;
            } while (value != 0);
            while (count > 0)
                *out++ = digits[--count];
        } else {
            ++m_report.invalidFields;
            if (m_report.firstInvalidLine == 0) m_report.firstInvalidLine = m_lineNumber;
        }
        *out++ = ';';
        m_used = out - m_out.data();
    }

    void put(const char *bytes, qsizetype count) {
        if (m_used + count > m_out.size()) flush();
        std::memcpy(m_out.data() + m_used, bytes, count);
        m_used += count;
    }

    void flush() {
        if (m_used == 0 || !m_report.ok()) return;
        if (m_spreadsheet.write(m_out.constData(), m_used) != m_used)
            failWrite(QStringLiteral("L'écriture du fichier tableur a échoué (disque plein ?)."));
        m_used = 0;
    }

    void flushDevice() {
        auto *file = qobject_cast<QFileDevice *>(&m_spreadsheet);
        if (file && !file->flush())
            failWrite(QStringLiteral("L'écriture du fichier tableur a échoué (disque plein ?)."));
    }

    ConversionReport failRead(const QString &reason) {
        m_report.readError = true;
        m_report.error = reason;
        return m_report;
    }

    ConversionReport failWrite(const QString &reason) {
        m_report.writeError = true;
        m_report.error = reason;
        return m_report;
    }

    QIODevice &m_recording;
    QIODevice &m_spreadsheet;
    QByteArray m_out;
    qsizetype m_used = 0;
    qint64 m_lineNumber = 0;
    ConversionReport m_report;
};

} // namespace

ConversionReport convertRecording(QIODevice &recording, QIODevice &spreadsheet) {
    return Converter(recording, spreadsheet).run();
}

ConversionReport convertRecordingFile(const QString &recordingPath,
                                      const QString &spreadsheetPath) {
    ConversionReport report;
    QFile recording(recordingPath);
    if (!recording.open(QIODevice::ReadOnly)) {
        report.readError = true;
        report.error = filereason::cannotRead(recordingPath);
        return report;
    }
    QSaveFile spreadsheet(spreadsheetPath);
    if (!spreadsheet.open(QIODevice::WriteOnly)) {
        report.writeError = true;
        report.error = filereason::cannotCreate(spreadsheetPath, errno);
        return report;
    }
    report = convertRecording(recording, spreadsheet);
    if (!report.ok()) {
        spreadsheet.cancelWriting();
        return report;
    }
    if (!spreadsheet.commit()) {
        report.writeError = true;
        report.error = filereason::cannotWrite(spreadsheetPath, errno);
    }
    return report;
}
