#include "data/spreadsheet.h"

#include "data/filereason.h"
#include "data/outputfile.h"
#include "data/sampledecoder.h"

#include <QFile>
#include <QFileDevice>

#include <cerrno>
#include <cstring>

namespace {

// Blocks read and written at once: a megabyte, or for a smaller recording on a file or in memory
// its own size (at least kSmallestBlock), so that converting a few lines takes no megabytes.
constexpr qsizetype kLargestBlock = 1 << 20;
constexpr qsizetype kSmallestBlock = 4096;
// Room for the longest piece written at once: five digits, ";" and CR LF.
constexpr qsizetype kLongestPiece = 8;

qsizetype blockSize(const QIODevice &recording) {
    if (recording.isSequential()) return kLargestBlock; // its size is not known beforehand
    return qBound<qint64>(kSmallestBlock, recording.bytesAvailable(), kLargestBlock);
}

// The channels' names separated by ";" ("Voie1;Voie2;Voie3"), then CR LF.
QByteArray header() {
    QByteArrayList names;
    for (const QLatin1StringView name : kChannelNames)
        names << QByteArray(name.data(), name.size());
    return names.join(';') + "\r\n";
}

class Converter {
public:
    explicit Converter(QIODevice &recording, QIODevice &spreadsheet)
        : m_recording(recording), m_spreadsheet(spreadsheet), m_block(blockSize(recording)),
          m_out(m_block, Qt::Uninitialized) {}

    ConversionReport run() {
        if (!m_recording.isReadable())
            return failRead(QStringLiteral("L'enregistrement n'est pas ouvert en lecture."));
        if (!m_spreadsheet.isWritable())
            return failWrite(QStringLiteral("Le fichier tableur n'est pas ouvert en écriture."));
        static const QByteArray kHeader = header();
        put(kHeader.constData(), kHeader.size());
        readLines();
        if (m_report.ok()) flush();
        if (m_report.ok()) flushDevice();
        return m_report;
    }

private:
    // Reads the recording in large blocks; the decoder carries a line that runs across blocks.
    void readLines() {
        QByteArray in(m_block, Qt::Uninitialized);
        auto onField = [this](const SampleField &field) {
            cell(field);
            if (field.endsRow) put("\r\n", 2);
        };
        while (m_report.ok()) {
            const qint64 got = m_recording.read(in.data(), in.size());
            if (got < 0) {
                failRead(QStringLiteral("La lecture de l'enregistrement a échoué."));
                return;
            }
            if (got == 0) {
                m_decoder.finish(onField);
                m_report.damage = m_decoder.damage();
                return;
            }
            m_decoder.feed(QByteArrayView(in.constData(), got), onField);
        }
    }

    void cell(const SampleField &field) {
        const HexResult result = field.value;
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
            if (m_report.firstInvalidLine == 0) m_report.firstInvalidLine = field.line;
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
            failWrite(writeFailure(errno));
        m_used = 0;
    }

    void flushDevice() {
        auto *file = qobject_cast<QFileDevice *>(&m_spreadsheet);
        if (file && !file->flush()) failWrite(writeFailure(errno));
    }

    // The system's reason when the device is a file (errno is only meaningful then).
    QString writeFailure(int error) const {
        const bool file = qobject_cast<QFileDevice *>(&m_spreadsheet) != nullptr;
        return QStringLiteral("L'écriture du fichier tableur a échoué : %1.")
            .arg(file ? filereason::systemReason(error)
                      : QStringLiteral("le support n'accepte plus de données"));
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
    qsizetype m_block;
    QByteArray m_out;
    qsizetype m_used = 0;
    SampleDecoder m_decoder;
    ConversionReport m_report;
};

} // namespace

ConversionReport convertRecording(QIODevice &recording, QIODevice &spreadsheet) {
    return Converter(recording, spreadsheet).run();
}

ConversionReport convertRecordingFile(const QString &recordingPath,
                                      const QString &spreadsheetPath) {
    return convertFile(recordingPath, spreadsheetPath, convertRecording);
}

ConversionReport convertFile(const QString &recordingPath, const QString &spreadsheetPath,
                             const RecordingConversion &convert) {
    ConversionReport report;
    QFile recording;
    if (!openForReading(recording, recordingPath)) {
        report.readError = true;
        report.error = filereason::cannotRead(recordingPath);
        return report;
    }
    OutputFile spreadsheet(spreadsheetPath);
    if (!spreadsheet.open()) {
        report.writeError = true;
        report.error = filereason::cannotCreate(spreadsheetPath, spreadsheet.error());
        return report;
    }
    report = convert(recording, spreadsheet.device());
    if (!report.ok()) return report; // the spreadsheet, cancelled, keeps its former content
    if (!spreadsheet.commit()) {
        report.writeError = true;
        report.error = filereason::cannotWrite(spreadsheetPath, spreadsheet.error());
    }
    return report;
}

QString invalidFieldsReason(const ConversionReport &report) {
    if (report.invalidFields == 0) return {};
    return QStringLiteral("%1 champ(s) invalide(s) laissé(s) vide(s), le premier à la ligne %2")
        .arg(report.invalidFields)
        .arg(report.firstInvalidLine);
}
