// Measurements rather than counts: the channels' names, units and calibrations as param.ini keeps
// them and a dialog reads them, and the measures spreadsheet against the raw spreadsheet of the
// same recording, read back by a real spreadsheet reader and written by the converter.
#include "bytes.h"
#include "data/chartsettings.h"
#include "data/measures.h"
#include "data/profile.h"
#include "data/settings.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kData = QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/");
const QByteArray kByteOrderMark = "\xEF\xBB\xBF";

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
    QBuffer in, out;
    in.setData(recording);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    const ConversionReport report =
        layout ? writeMeasures(in, out, *layout) : convertRecording(in, out);
    return report.ok() ? out.data() : "conversion failed: " + report.error.toUtf8();
}

// The cells of ";"-separated rows ended by CR LF.
QList<QStringList> cells(const QString &text, const QString &separator = QStringLiteral(";")) {
    QList<QStringList> rows;
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        rows << line.split(separator);
    return rows;
}

bool near(double a, double b) {
    return std::abs(a - b) <= 1e-13 * std::max(1.0, std::abs(b));
}

// Compares measures rows (header first, numbers with `point`) with the raw spreadsheet's rows:
// the same rows, the time row index × interval, the value of raw column k calibrated on channel k.
void compareWithRaw(const QList<QStringList> &got, const QByteArray &raw,
                    const MeasuresLayout &layout, QChar point) {
    const QList<QStringList> rows = cells(QString::fromLatin1(raw));
    const int time = layout.interval > 0 ? 1 : 0;
    QStringList header;
    if (time) header << "Temps (s)";
    for (int k = 0; k < kChannels; ++k)
        header << layout.channels.title(k);
    QCOMPARE(got.value(0), header);
    QCOMPARE(got.size(), rows.size());
    const auto number = [&](QString text) {
        if (text.contains(point == u'.' ? u',' : u'.')) return qQNaN();
        return text.replace(point, u'.').toDouble();
    };
    for (qsizetype row = 1; row < rows.size(); ++row) {
        const QStringList &line = got[row];
        QCOMPARE(line.size(), time + kChannels);
        if (time && !near(number(line[0]), (row - 1) * layout.interval))
            QFAIL(qPrintable(QStringLiteral("row %1: time %2").arg(row).arg(line[0])));
        for (int k = 0; k < kChannels; ++k) {
            const QString rawCell = rows[row].value(k);
            const QString cell = line[time + k];
            const bool same =
                rawCell.isEmpty()
                    ? cell.isEmpty()
                    : near(number(cell), layout.channels.channels[k].calibration(rawCell.toInt()));
            if (!same)
                QFAIL(qPrintable(QStringLiteral("row %1 channel %2: %3 for %4")
                                     .arg(row)
                                     .arg(k)
                                     .arg(cell, rawCell)));
        }
    }
}

} // namespace

class MeasuresTest : public QObject {
    Q_OBJECT

private slots:
    void valuesAreTheRawCellsCalibratedRowByRow_data() {
        QTest::addColumn<QByteArray>("recording");
        QTest::addColumn<double>("interval");
        QTest::addColumn<QString>("locale");
        QTest::newRow("worked example, French") << readFile(kData + "worked.txt") << 0.5 << "fr_FR";
        QTest::newRow("rows that run on, no interval")
            << readFile(kData + "rows_across_lines.txt") << 0.0 << "fr_FR";
        QTest::newRow("invalid fields") << readFile(kData + "invalid_fields.txt") << 2.0 << "C";
        QTest::newRow("unfinished last row") << readFile(kData + "unterminated.txt") << 1.0 << "C";
        QTest::newRow("blocks of a long recording, 0.1 s, French")
            << longRecording() << 0.1 << "fr_FR";
    }

    void valuesAreTheRawCellsCalibratedRowByRow() {
        QFETCH(QByteArray, recording);
        QFETCH(double, interval);
        QFETCH(QString, locale);
        const MeasuresLayout layout{calibrated(), interval, QLocale(locale)};
        const QByteArray written = converted(recording, &layout);
        QVERIFY2(written.startsWith(kByteOrderMark), written.left(80));
        const QChar point = locale == "C" ? u'.' : u',';
        compareWithRaw(cells(QString::fromUtf8(written.mid(3))), converted(recording), layout,
                       point);
        if (QTest::currentTestFailed()) return;
        // Raw counts, without calibration, are the raw spreadsheet's numbers.
        const MeasuresLayout counts{{}, interval, QLocale(locale)};
        compareWithRaw(cells(QString::fromUtf8(converted(recording, &counts).mid(3))),
                       converted(recording), counts, point);
    }

    void aSpreadsheetReaderReadsTheSameNumbers() {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty()) QSKIP("python3 is missing");
        QTemporaryDir dir;
        MeasuresLayout layout{calibrated(), 0.5, QLocale(QLocale::French)};
        layout.channels.channels[1].name = "Débit; \"entrée\"";
        const QByteArray recording = longRecording();
        QVERIFY(writeFile(dir.filePath("t.txt"), recording));
        QVERIFY(writeMeasuresFile(dir.filePath("t.txt"), dir.filePath("t.csv"), layout).ok());
        QProcess reader;
        reader.start(python, {"-c",
                              "import csv, sys\n"
                              "f = open(sys.argv[1], encoding='utf-8-sig', newline='')\n"
                              "for i, row in enumerate(csv.reader(f, delimiter=';')):\n"
                              "    print('\\t'.join(row if i == 0 else [repr(float(c.replace("
                              "',', '.'))) if c else '' for c in row]), end='\\r\\n')\n",
                              dir.filePath("t.csv")});
        QVERIFY(reader.waitForFinished(-1));
        QCOMPARE(reader.exitCode(), 0);
        compareWithRaw(cells(QString::fromUtf8(reader.readAllStandardOutput()), "\t"),
                       converted(recording), layout, u'.');
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

    void calibrationTypedInADialogIsReadOrRefusedWithTheReason_data() {
        QTest::addColumn<QStringList>("typed"); // raw and value of point 1, then of point 2
        QTest::addColumn<double>("factor");
        QTest::addColumn<double>("offset");
        QTest::addColumn<QString>("reason");
        QTest::newRow("commas, points, blanks")
            << QStringList{"0", " 0,0 ", "1023", "5.0"} << 5 / 1023.0 << 0.0 << QString();
        QTest::newRow("an offset") << QStringList{"10", "1", "20", "3"} << 0.2 << -1.0 << QString();
        QTest::newRow("equal raw values")
            << QStringList{"512", "0", "512,0", "5"} << 0.0 << 0.0
            << "Les deux points ont la même valeur brute (512) : il faut deux valeurs brutes "
               "différentes.";
        QTest::newRow("group separator")
            << QStringList{"0", "1 000", "1023", "5"} << 0.0 << 0.0
            << "La valeur physique du point 1 n'est pas un nombre : « 1 000 ».";
        QTest::newRow("empty") << QStringList{"0", "0", "", "5"} << 0.0 << 0.0
                               << "La valeur brute du point 2 est vide.";
        QTest::newRow("too steep")
            << QStringList{"0", "-1e308", "1e-300", "1e308"} << 0.0 << 0.0
            << "Ces deux points donnent une droite trop raide : rapprochez les valeurs physiques "
               "ou écartez les valeurs brutes.";
    }

    void calibrationTypedInADialogIsReadOrRefusedWithTheReason() {
        QFETCH(QStringList, typed);
        QFETCH(double, factor);
        QFETCH(double, offset);
        QFETCH(QString, reason);
        QString why;
        const auto calibration = parseCalibration(typed[0], typed[1], typed[2], typed[3], &why);
        QCOMPARE(why, reason);
        QCOMPARE(calibration.has_value(), reason.isEmpty());
        if (calibration) {
            QCOMPARE(calibration->factor(), factor);
            QCOMPARE(calibration->offset(), offset);
        }
    }

    // --mesures writes <name>_mesures.csv with the channels and interval of --settings, the
    // system's decimal separator; --interval wins; --settings alone makes no sense.
    void theConverterWritesMeasuresWithTheSettingsFile() {
        QTemporaryDir dir;
        Profile profile(dir.filePath("param.ini"));
        QVERIFY(calibrated().save(profile) && saveChartInterval(profile, 0.5));
        const QString recording = dir.filePath("transfert_05122026.txt");
        QVERIFY(QFile::copy(kData + "invalid_fields.txt", recording));
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "fr_FR.UTF-8");
        process.setProcessEnvironment(environment);
        const auto run = [&](const QStringList &arguments) {
            process.start(VOLTERNE_CONVERT, arguments);
            return process.waitForFinished(-1) ? process.exitCode() : -1;
        };
        QCOMPARE(run({"--mesures", "--settings", profile.path(), recording}), 1);
        MeasuresLayout layout{calibrated(), 0.5, QLocale(QLocale::French)};
        const QByteArray text = readFile(recording);
        QCOMPARE(readFile(dir.filePath("transfert_05122026_mesures.csv")),
                 converted(text, &layout));
        QVERIFY(!QFile::exists(dir.filePath("transfert_05122026.csv")));
        QCOMPARE(run({"--mesures", "--settings", profile.path(), "--interval", "2", "-o", "-",
                      recording}),
                 1);
        layout.interval = 2;
        QCOMPARE(process.readAllStandardOutput(), converted(text, &layout));
        QCOMPARE(run({"--settings", profile.path(), recording}), 2);
        QVERIFY(process.readAllStandardError().contains("--settings ne vaut qu'avec --mesures"));
    }
};

QTEST_GUILESS_MAIN(MeasuresTest)
#include "tst_measures.moc"
