#include "data/spreadsheet.h"

#include <QBuffer>
#include <QFile>
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

Converted convert(const QByteArray &recording) {
    QBuffer in;
    in.setData(recording);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    const ConversionReport report = convertRecording(in, out);
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

class SpreadsheetTest : public QObject {
    Q_OBJECT

private slots:
    void recordingsGiveTheirSpreadsheet_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("values");
        QTest::addColumn<qint64>("invalidFields");
        QTest::addColumn<qint64>("firstInvalidLine");

        QTest::newRow("worked example") << "worked" << 3LL << 0LL << 0LL;
        QTest::newRow("rows run on across lines") << "rows_across_lines" << 9LL << 0LL << 0LL;
        QTest::newRow("areas of 11 and 12 characters") << "short_areas" << 5LL << 0LL << 0LL;
        QTest::newRow("no sample line") << "no_samples" << 0LL << 0LL << 0LL;
        QTest::newRow("dot first or second") << "dot_first" << 3LL << 0LL << 0LL;
        QTest::newRow("invalid fields") << "invalid_fields" << 5LL << 4LL << 2LL;
        QTest::newRow("CR alone ends a line") << "cr_only" << 8LL << 1LL << 4LL;
        QTest::newRow("empty recording") << "empty" << 0LL << 0LL << 0LL;
        QTest::newRow("download file") << "download" << 9LL << 0LL << 0LL;
        QTest::newRow("last line without end") << "unterminated" << 4LL << 0LL << 0LL;
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
    }

    void aLineLongerThanAReadBlockConvertsWhole() {
        const int fields = 300000;
        const Converted converted = convert(QByteArray("0001 ").repeated(fields) + ".\r\n");
        QCOMPARE(converted.report.values, qint64(fields));
        QVERIFY(converted.text ==
                "Voie1;Voie2;Voie3\r\n" + QByteArray("1;1;1;\r\n").repeated(fields / 3));
    }

    void aFullDiskIsReported() {
        QBuffer in;
        in.setData("0123 0456 0789 .\r\n");
        in.open(QIODevice::ReadOnly);
        FullDevice full;
        const ConversionReport report = convertRecording(in, full);
        QVERIFY(report.writeError);
        QVERIFY(!report.error.isEmpty());
    }

    void filesAreConvertedAndFailuresReported() {
        QTemporaryDir dir;
        const QString csv = dir.filePath("fichier_excel.csv");
        const QString recording = QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/worked.txt");
        QVERIFY(convertRecordingFile(dir.filePath("absent.txt"), csv).readError);
        for (int pass = 0; pass < 2; ++pass) // a second conversion replaces the first
            QVERIFY(convertRecordingFile(recording, csv).ok());
        QFile written(csv);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), dataFile("worked.csv"));

        QVERIFY(convertRecordingFile(recording, dir.filePath("x/y.csv")).writeError);
    }
};

QTEST_GUILESS_MAIN(SpreadsheetTest)
#include "tst_spreadsheet.moc"
