#include "data/spreadsheet.h"

#include "data/filereason.h"
#include "data/outputfile.h"
#include "data/recordingwriter.h"

#include <QFile>

namespace {

// Every field's count, followed by ";", and CR LF after the last field of a row.
struct CountCells {
    // Five digits, ";" and CR LF.
    static constexpr qsizetype kLongestPiece = 8;

    // The channels' names separated by ";" ("Voie1;Voie2;Voie3"), then CR LF.
    QByteArray header() const {
        QByteArrayList names;
        for (const QLatin1StringView name : kChannelNames)
            names << QByteArray(name.data(), name.size());
        return names.join(';') + "\r\n";
    }

    char *field(char *out, const SampleField &field, qint64 &values) const {
        const HexResult result = field.value;
        if (result.valid) {
            ++values;
            char digits[8];
            int count = 0;
            unsigned value = static_cast<quint16>(result.value);
            do {
                digits[count++] = char('0' + value % 10);
                value /= 10;
            } while (value != 0);
            while (count > 0)
                *out++ = digits[--count];
        }
        *out++ = ';';
        if (field.endsRow) {
            *out++ = '\r';
            *out++ = '\n';
        }
        return out;
    }

    char *end(char *out, qint64 &) const { return out; } // an unfinished last row stays open
};

} // namespace

ConversionReport convertRecording(QIODevice &recording, QIODevice &spreadsheet) {
    CountCells cells;
    return RecordingWriter(recording, spreadsheet).run(cells);
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
