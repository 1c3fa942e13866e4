// Recording data without a window: hexadecimal fields, the dump layout, the spreadsheet
// conversion and a live chart's rolling window of samples.
#include "chart/sampleseries.h"
#include "data/dump.h"
#include "data/hexfield.h"
#include "data/spreadsheet.h"

#include <QBuffer>
#include <QTest>

namespace {

QByteArray dataFile(const QString &name) {
    QFile file(QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + name.toUtf8());
}

// Converts `recording` into `output`, or into a buffer whose bytes are returned.
QByteArray convert(const QByteArray &recording, ConversionReport *report,
                   QIODevice *output = nullptr) {
    QBuffer in, out;
    in.setData(recording);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    *report = convertRecording(in, output ? *output : out);
    return out.data();
}

} // namespace

class DataTest : public QObject {
    Q_OBJECT

private slots:
    void hexFieldsConvertOrAreRefused_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("value"); // -1: invalid
        QTest::newRow("00A0") << QByteArray("00A0") << 160;
        QTest::newRow("7FFF, the largest value") << QByteArray("7FFF") << 32767;
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("many leading zeros") << QByteArray("0000000000007FFF") << 32767;
        QTest::newRow("8000, above range") << QByteArray("8000") << -1;
        QTest::newRow("a long field above range") << QByteArray("FFFFFFFFFFFFFFFF") << -1;
        QTest::newRow("lowercase letter") << QByteArray("00a0") << -1;
        QTest::newRow("slash before 0") << QByteArray("0/") << -1;
        QTest::newRow("colon after 9") << QByteArray("0:") << -1;
        QTest::newRow("at before A") << QByteArray("0@") << -1;
        QTest::newRow("G after F") << QByteArray("0G") << -1;
        QTest::newRow("byte above 0x7F") << QByteArray("0\xC9") << -1;
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

    void recordingsGiveTheirSpreadsheet_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("invalidFields");
        QTest::addColumn<qint64>("firstInvalidLine");
        QTest::newRow("worked example") << "worked" << 0LL << 0LL;
        QTest::newRow("four- and two-field lines continue rows")
            << "rows_across_lines" << 0LL << 0LL;
        QTest::newRow("areas of 11 and 12 characters") << "short_areas" << 0LL << 0LL;
        QTest::newRow("lines without a dot") << "no_samples" << 0LL << 0LL;
        QTest::newRow("dot first or second") << "dot_first" << 0LL << 0LL;
        QTest::newRow("invalid fields") << "invalid_fields" << 4LL << 2LL;
        QTest::newRow("CR alone ends a line") << "cr_only" << 1LL << 4LL;
        QTest::newRow("empty recording") << "empty" << 0LL << 0LL;
        QTest::newRow("last line without end") << "unterminated" << 0LL << 0LL;
    }

    void recordingsGiveTheirSpreadsheet() {
        QFETCH(QString, name);
        QFETCH(qint64, invalidFields);
        QFETCH(qint64, firstInvalidLine);
        ConversionReport report;
        QCOMPARE(convert(dataFile(name + ".txt"), &report), dataFile(name + ".csv"));
        QVERIFY(report.ok());
        QCOMPARE(report.invalidFields, invalidFields);
        QCOMPARE(report.firstInvalidLine, firstInvalidLine);
    }

    // Large recordings are read in blocks: line ends, CR LF pairs and whole lines that straddle a
    // block boundary must come out as if the recording were read in one piece.
    void linesAcrossReadBlocksConvertWhole() {
        const QByteArray line = "0123 0456 0789 .\r\n";
        const int lines = 70000; // well above one read block
        const QByteArray header = "Voie1;Voie2;Voie3\r\n";
        ConversionReport report;
        for (int prefix = 0; prefix < line.size(); ++prefix) {
            const QByteArray message = prefix == 1 ? "\r" : QByteArray(prefix - 2, 'M') + "\r\n";
            const QByteArray recording = (prefix ? message : QByteArray()) + line.repeated(lines);
            QVERIFY(convert(recording, &report) ==
                    header + QByteArray("291;1110;1929;\r\n").repeated(lines));
        }
        // A line whose first "." comes later than a board line's could is damaged: its fields
        // are counted, each an empty cell, in one piece or across a read block alike.
        const QByteArray nearBlockEnd = QByteArray("Transfert\r\n").repeated((1 << 20) / 11);
        for (const qsizetype beforeDot :
             {SampleDecoder::kLongestLine, SampleDecoder::kLongestLine + 1})
            for (const QByteArray &lead : {QByteArray(), nearBlockEnd}) {
                const QByteArray line =
                    QByteArray("0001 ").repeated(beforeDot / 5 + 1).left(beforeDot);
                const bool damaged = beforeDot > SampleDecoder::kLongestLine;
                const QByteArray spreadsheet = convert(lead + line + ".x\r\n", &report);
                QCOMPARE(
                    spreadsheet,
                    header +
                        QByteArray(damaged ? ";;;\r\n" : "1;1;1;\r\n").repeated(beforeDot / 15));
                QCOMPARE(report.invalidFields, damaged ? beforeDot / 5 : 0);
                QCOMPARE(report.damage, RecordingDamage::LongLines);
            }
    }

    void aSpreadsheetThatCannotBeWrittenIsReported() {
        QBuffer full; // takes nothing, as a full disk
        full.open(QIODevice::ReadOnly);
        ConversionReport report;
        convert("0123 0456 0789 .\r\n", &report, &full);
        QVERIFY(report.writeError && !report.error.isEmpty());
    }

    // A live window lets go of its oldest samples chunk after chunk, many times its size, and
    // keeps counting them: the chart's time axis never falls back.
    void aRollingWindowKeepsCountingTheSamplesItDropped() {
        SampleSeries series;
        series.setCapacity(2);
        for (int n = 1; n <= 7; ++n)
            series.append("000" + QByteArray::number(n) + " 0000 0000 .\r\n");
        QCOMPARE(series.size(), 2);
        QCOMPARE(series.dropped(), 5);
        QCOMPARE(series.value(0, 1), 7);
    }
};

QTEST_GUILESS_MAIN(DataTest)
#include "tst_data.moc"
