// Recording data without a window: hexadecimal fields, the dump layout, the caption of an opened
// recording, and the spreadsheet conversion.
#include "data/dump.h"
#include "data/hexfield.h"
#include "data/recording.h"
#include "data/spreadsheet.h"

#include <QBuffer>
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray dataFile(const QString &name) {
    QFile file(QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + name.toUtf8());
}

struct Converted {
    QByteArray text;
    ConversionReport report;
};

Converted convert(const QByteArray &recording, QIODevice *output = nullptr) {
    QBuffer in, out;
    in.setData(recording);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    const ConversionReport report = convertRecording(in, output ? *output : out);
    return {out.data(), report};
}

// A device that accepts nothing, as a full disk would.
class FullDevice : public QIODevice {
public:
    FullDevice() { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override { return -1; }
};

} // namespace

class DataTest : public QObject {
    Q_OBJECT

private slots:
    void hexFieldsConvertOrAreRefused_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("value"); // -1: invalid
        const auto row = [](const char *name, const QByteArray &field, int value) {
            QTest::newRow(name) << field << value;
        };
        row("3FF", "3FF", 1023);
        row("00A0", "00A0", 160);
        row("0C", "0C", 12);
        row("7FFF, the largest value", "7FFF", 32767);
        row("empty field", "", 0);
        row("many leading zeros", "0000000000007FFF", 32767);
        row("8000, just above range", "8000", -1);
        row("long field above range", "FFFFFFFFFFFFFFFF", -1);
        row("lowercase letter", "00a0", -1);
        row("leading blank", " 12", -1);
        row("minus sign", "-1", -1);
        row("slash before 0", "0/", -1);
        row("colon after 9", "0:", -1);
        row("at before A", "0@", -1);
        row("G after F", "0G", -1);
        row("NUL byte", QByteArray("0\0", 2), -1);
        row("byte above 0x7F", "0\xC9", -1);
    }

    void hexFieldsConvertOrAreRefused() {
        QFETCH(QByteArray, field);
        QFETCH(int, value);
        const HexResult result = convertion_hex_dec(field);
        QCOMPARE(result.valid, value >= 0);
        QCOMPARE(int(result.value), std::max(value, 0));
    }

    void dumpsPairCharactersAndBreakAtDots_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("dump");
        QTest::newRow("AB12CD.EF") << QByteArray("AB12CD.EF") << QByteArray("AB 12 CD \r\nEF \r\n");
        QTest::newRow("0A1B.2C") << QByteArray("0A1B.2C") << QByteArray("0A 1B \r\n2C \r\n");
        QTest::newRow("odd run ABC.") << QByteArray("ABC.") << QByteArray("AB C\r\n\r\n");
        QTest::newRow("empty") << QByteArray() << QByteArray("\r\n");
        QTest::newRow("CR, LF and NUL are characters")
            << QByteArray("\r\n\0\xFF.", 5) << QByteArray("\r\n \0\xFF \r\n\r\n", 10);
    }

    void dumpsPairCharactersAndBreakAtDots() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, dump);
        QCOMPARE(dumpLayout(text), dump);
    }

    // The window shows the French caption with a time; the time is left out at midnight, and the
    // date and time follow the locale.
    void captionsShowNameDateAndSize_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("caption");
        QTest::newRow("French at midnight")
            << "fr_FR" << QTime(0, 0) << "transfert_05122026.txt - 05/12/2026 - 20 oct";
        QTest::newRow("American") << "en_US" << QTime(14, 3, 7)
                                  << "transfert_05122026.txt - 12/5/26 2:03:07 PM - 20 oct";
    }

    void captionsShowNameDateAndSize() {
        QFETCH(QString, locale);
        QFETCH(QTime, time);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        QFile file(dir.filePath("transfert_05122026.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20, '0'));
        QVERIFY(file.flush()); // a write after the time is set would move it again
        QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 5), time),
                                 QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(recordingCaption(QFileInfo(file), QLocale(locale)), caption);
    }

    void recordingsGiveTheirSpreadsheet_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("values");
        QTest::addColumn<qint64>("invalidFields");
        QTest::addColumn<qint64>("firstInvalidLine");
        const auto row = [](const char *name, const char *file, qint64 values, qint64 invalid,
                            qint64 line) {
            QTest::newRow(name) << file << values << invalid << line;
        };
        row("worked example", "worked", 3, 0, 0);
        row("four- and two-field lines continue rows", "rows_across_lines", 9, 0, 0);
        row("areas of 11 and 12 characters", "short_areas", 5, 0, 0);
        row("no sample line", "no_samples", 0, 0, 0);
        row("dot first or second", "dot_first", 3, 0, 0);
        row("invalid fields", "invalid_fields", 5, 4, 2);
        row("CR alone ends a line", "cr_only", 8, 1, 4);
        row("empty recording", "empty", 0, 0, 0);
        row("download file", "download", 9, 0, 0);
        row("last line without end", "unterminated", 4, 0, 0);
    }

    void recordingsGiveTheirSpreadsheet() {
        QFETCH(QString, name);
        QFETCH(qint64, values);
        QFETCH(qint64, invalidFields);
        QFETCH(qint64, firstInvalidLine);
        const Converted converted = convert(dataFile(name + ".txt"));
        QVERIFY(converted.report.ok());
        QCOMPARE(converted.text, dataFile(name + ".csv"));
        QCOMPARE(converted.report.values, values);
        QCOMPARE(converted.report.invalidFields, invalidFields);
        QCOMPARE(converted.report.firstInvalidLine, firstInvalidLine);
    }

    // Large recordings are read in blocks: line ends, CR LF pairs and whole lines that straddle a
    // block boundary must come out as if the recording were read in one piece.
    void linesAcrossReadBlocksConvertWhole() {
        const QByteArray line = "0123 0456 0789 .\r\n";
        const int lines = 70000; // well above one read block
        for (int prefix = 0; prefix < line.size(); ++prefix) {
            const QByteArray message = prefix == 1 ? "\r" : QByteArray(prefix - 2, 'M') + "\r\n";
            const Converted converted =
                convert((prefix ? message : QByteArray()) + line.repeated(lines));
            QCOMPARE(converted.report.values, 3LL * lines);
            QVERIFY(converted.text ==
                    "Voie1;Voie2;Voie3\r\n" + QByteArray("291;1110;1929;\r\n").repeated(lines));
        }
        const int fields = 300000; // one line longer than a read block
        const Converted converted = convert(QByteArray("0001 ").repeated(fields) + ".\r\n");
        QCOMPARE(converted.report.values, qint64(fields));
        QVERIFY(converted.text ==
                "Voie1;Voie2;Voie3\r\n" + QByteArray("1;1;1;\r\n").repeated(fields / 3));
    }

    void aFullDiskIsReported() {
        FullDevice full;
        const ConversionReport report = convert("0123 0456 0789 .\r\n", &full).report;
        QVERIFY(report.writeError);
        QVERIFY(!report.error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(DataTest)
#include "tst_data.moc"
