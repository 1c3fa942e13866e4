// Recording data without a window: hexadecimal fields, the dump layout, the spreadsheet
// conversion; and measurements rather than counts: the channels' names, units and calibrations as
// param.ini keeps them, and the measures spreadsheet against the raw spreadsheet of the same
// recording.
#include "bytes.h"
#include "data/chartsettings.h"
#include "data/dump.h"
#include "data/hexfield.h"
#include "data/measures.h"
#include "data/profile.h"
#include "data/settings.h"
#include "data/spreadsheet.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray dataFile(const QString &name) {
    QFile file(QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing " + name.toUtf8());
}

// Converts `recording` into `output`, or into a buffer whose bytes are returned; into measures
// when a layout is given.
QByteArray convert(const QByteArray &recording, ConversionReport *report,
                   QIODevice *output = nullptr, const MeasuresLayout *layout = nullptr) {
    QBuffer in, out;
    in.setData(recording);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    QIODevice &to = output ? *output : out;
    *report = layout ? writeMeasures(in, to, *layout) : convertRecording(in, to);
    return out.data();
}

const QByteArray kByteOrderMark = "\xEF\xBB\xBF";

// Open for writing, but takes no byte, as a full disk.
class FullDevice : public QIODevice {
public:
    FullDevice() { open(QIODevice::WriteOnly); }
    int writes = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override {
        ++writes;
        return -1;
    }
};

ChannelSettings calibrated() {
    ChannelSettings settings;
    settings.channels[0] = {"Tension", "V", {0, 0, 1023, 5}};
    settings.channels[1].calibration = {10, 0.1, 20, 3.3};
    settings.channels[2] = {"Température", "°C", {0, -40, 32767, 125}};
    return settings;
}

// Many rows, some running on across lines, some fields invalid: more than a read block in.
QByteArray longRecording() {
    QByteArray text = "Transfert\r\n";
    for (int i = 0; i < 70000; ++i) {
        text += QByteArray::number((i * 37) % 32768, 16).toUpper().rightJustified(4, '0') +
                (i % 1000 == 7 ? " zz12" : " 03FF") +
                (i % 5000 == 3 ? " 0001 0002 .\r\n" : " 0200 .\r\n");
    }
    return text + "Effectue";
}

QByteArray converted(const QByteArray &recording, const MeasuresLayout *layout = nullptr) {
    ConversionReport report;
    const QByteArray written = convert(recording, &report, nullptr, layout);
    return report.ok() ? written : "conversion failed: " + report.error.toUtf8();
}

// The cells of ";"-separated rows ended by CR LF.
QList<QStringList> cells(const QString &text) {
    QList<QStringList> rows;
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows << line.split(u';');
    return rows;
}

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-13 * std::max(1.0, std::abs(b));
}

// Compares measures rows (numbers with `point`, after the header) with the raw spreadsheet's
// rows: the same rows, the time row index × interval, the value of raw column k calibrated on
// channel k.
void compareWithRaw(const QList<QStringList> &got, const QByteArray &raw,
                    const MeasuresLayout &layout, QChar point) {
    const QList<QStringList> rows = cells(QString::fromLatin1(raw));
    const int time = layout.interval > 0 ? 1 : 0;
    QCOMPARE(got.size(), rows.size());
    const auto number = [&](QString text) {
        if (text.contains(point == u'.' ? u',' : u'.')) return qQNaN();
        return text.replace(point, u'.').toDouble();
    };
    for (qsizetype row = 1; row < rows.size(); ++row) {
        const QStringList &line = got[row];
        QCOMPARE(line.size(), time + kChannels);
        if (time) QVERIFY2(near(number(line[0]), (row - 1) * layout.interval), qPrintable(line[0]));
        for (int k = 0; k < kChannels; ++k) {
            const QString rawCell = rows[row].value(k), cell = line[time + k];
            QVERIFY2(rawCell.isEmpty() ? cell.isEmpty()
                                       : near(number(cell), layout.channels.channels[k].calibration(
                                                                rawCell.toInt())),
                     qPrintable(QStringLiteral("row %1: %2 for %3").arg(row).arg(cell, rawCell)));
        }
    }
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
        // A line whose first "." comes later than a board line's could (more than 64 KiB in, as
        // README says) is damaged: its fields are counted, each an empty cell, in one piece or
        // across a read block alike.
        const QByteArray nearBlockEnd = QByteArray("Transfert\r\n").repeated((1 << 20) / 11);
        for (const qsizetype beforeDot : {65536, 65537})
            for (const QByteArray &lead : {QByteArray(), nearBlockEnd}) {
                const QByteArray line =
                    QByteArray("0001 ").repeated(beforeDot / 5 + 1).left(beforeDot);
                const bool damaged = beforeDot == 65537;
                const QByteArray spreadsheet = convert(lead + line + ".x\r\n", &report);
                QCOMPARE(
                    spreadsheet,
                    header +
                        QByteArray(damaged ? ";;;\r\n" : "1;1;1;\r\n").repeated(beforeDot / 15));
                QCOMPARE(report.invalidFields, damaged ? beforeDot / 5 : 0);
                QCOMPARE(report.damage, RecordingDamage::LongLines);
            }
    }

    // A device not open for writing, or one that stops taking bytes (a full disk), is said. A
    // measures row is wider than the line it comes from, so most of a read block is still to be
    // written after the failure: it is dropped, never written past the end of the output block
    // (which the sanitizers' build sees), and nothing more goes to the device.
    void aSpreadsheetThatCannotBeWrittenIsReported() {
        QBuffer readOnly;
        readOnly.open(QIODevice::ReadOnly);
        ConversionReport report;
        convert("0123 0456 0789 .\r\n", &report, &readOnly);
        QVERIFY(report.writeError);
        QCOMPARE(report.error, "Le fichier tableur n'est pas ouvert en écriture.");

        const QByteArray wide = (QByteArray("0077 ").repeated(3000) + ".\r\n").repeated(100);
        const MeasuresLayout layout{calibrated(), 0.1, QLocale::c()};
        for (const MeasuresLayout *measures :
             {static_cast<const MeasuresLayout *>(nullptr), &layout}) {
            FullDevice full;
            convert(wide, &report, &full, measures);
            QVERIFY(report.writeError);
            QCOMPARE(report.error, "L'écriture du fichier tableur a échoué : le support n'accepte "
                                   "plus de données.");
            QCOMPARE(full.writes, 1);
        }
    }

    void valuesAreTheRawCellsCalibratedRowByRow_data() {
        QTest::addColumn<QByteArray>("recording");
        QTest::addColumn<double>("interval");
        QTest::addColumn<QString>("locale");
        QTest::newRow("worked example, French") << dataFile("worked.txt") << 0.5 << "fr_FR";
        QTest::newRow("rows that run on, no interval")
            << dataFile("rows_across_lines.txt") << 0.0 << "fr_FR";
        QTest::newRow("invalid fields") << dataFile("invalid_fields.txt") << 2.0 << "C";
        QTest::newRow("unfinished last row") << dataFile("unterminated.txt") << 1.0 << "C";
        QTest::newRow("blocks of a long recording, 0.1 s, French")
            << longRecording() << 0.1 << "fr_FR";
    }

    void valuesAreTheRawCellsCalibratedRowByRow() {
        QFETCH(QByteArray, recording);
        QFETCH(double, interval);
        QFETCH(QString, locale);
        MeasuresLayout layout{calibrated(), interval, QLocale(locale)};
        layout.channels.channels[1].name = "Débit; \"entrée\""; // quoted as spreadsheets read it
        const QByteArray written = converted(recording, &layout);
        QCOMPARE(written.left(written.indexOf("\r\n")),
                 kByteOrderMark + (interval > 0 ? "Temps (s);" : "") +
                     "Tension (V);\"Débit; \"\"entrée\"\"\";Température (°C)");
        const QChar point = locale == "C" ? u'.' : u',';
        compareWithRaw(cells(QString::fromUtf8(written.mid(3))), converted(recording), layout,
                       point);
        if (QTest::currentTestFailed()) return;
        // Raw counts, without calibration, are the raw spreadsheet's numbers.
        const MeasuresLayout counts{{}, interval, QLocale(locale)};
        compareWithRaw(cells(QString::fromUtf8(converted(recording, &counts).mid(3))),
                       converted(recording), counts, point);
    }

    void channelSettingsGoToTheirOwnSectionOnlyOnceSomethingIsSet() {
        QTemporaryDir dir;
        const QString path = dir.filePath("param.ini");
        Profile profile(path);
        QVERIFY(saveSettings(profile, "COM1", "12", true, 2));
        const QByteArray base = readFile(path);
        QVERIFY(ChannelSettings().save(profile));
        QCOMPARE(readFile(path), base);
        QCOMPARE(ChannelSettings::read(profile), ChannelSettings());

        ChannelSettings set = calibrated();
        QVERIFY(set.save(profile));
        QVERIFY(readFile(path).startsWith(base + "[voies]\r\n"));
        QCOMPARE(ChannelSettings::read(profile), set);
        QCOMPARE(readSettings(profile).port, "COM1");
        QVERIFY(ChannelSettings().save(profile));
        QCOMPARE(ChannelSettings::read(profile), ChannelSettings());

        // Edited by hand: a Latin-1 name is read as such, a calibration of one point is the
        // default.
        QVERIFY(profile.setValue("voies", "nom1", "Temp\xE9rature") &&
                profile.setValue("voies", "etalonnage2", "5;0;5;1"));
        set = ChannelSettings::read(profile);
        QCOMPARE(set.channels[0].name, "Température");
        QCOMPARE(set.channels[1].calibration, Calibration());
    }
};

QTEST_GUILESS_MAIN(DataTest)
#include "tst_data.moc"
