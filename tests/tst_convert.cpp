// The command-line converter as a user runs it: a separate process, its files, its standard
// output and error, and its exit status; and its options as the parser reads them.
#include "bytes.h"
#include "chart/chartrender.h"
#include "chart/sampleseries.h"
#include "convert/convertoptions.h"
#include "data/chartsettings.h"
#include "data/facts.h"
#include "data/measures.h"
#include "data/profile.h"
#include "data/sampleline.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>

#include <sys/stat.h>

namespace {

const QString kData = QStringLiteral(VOLTERNE_TEST_DATA "/spreadsheet/");

struct Outcome {
    int status = -1;
    QByteArray out;
    QString err;
};

Outcome convert(const QStringList &arguments, const QString &workingDirectory = {}) {
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(VOLTERNE_CONVERT), arguments);
    Outcome outcome;
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return outcome;
    outcome.status = process.exitCode();
    outcome.out = process.readAllStandardOutput();
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

} // namespace

class ConvertTest : public QObject {
    Q_OBJECT

private slots:
    void spreadsheetsAreWrittenWhereAskedAndDoubtsReported_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("report"); // what standard error says; empty: nothing
        QTest::newRow("worked example") << "worked" << QString();
        QTest::newRow("invalid fields")
            << "invalid_fields"
            << "4 champ(s) invalide(s) laissé(s) vide(s), le premier à la ligne 2";
        QTest::newRow("no line end at all, one line") << "unterminated"
                                                      << "il n'a aucune fin de ligne (CR)";
        QTest::newRow("LF-only line ends, one line") << "lf_only"
                                                     << "ses lignes finissent par LF sans CR";
    }

    // Beside the recording by default and on standard output: the same bytes each time.
    void spreadsheetsAreWrittenWhereAskedAndDoubtsReported() {
        QFETCH(QString, name);
        QFETCH(QString, report);
        QTemporaryDir dir;
        const QString recording = dir.filePath(name + ".txt");
        QVERIFY(QFile::copy(kData + name + ".txt", recording));
        const QByteArray expected = readFile(kData + name + ".csv");
        const int status = report.isEmpty() ? 0 : 1;

        Outcome beside = convert({recording});
        QCOMPARE(beside.status, status);
        QCOMPARE(readFile(dir.filePath(name + ".csv")), expected);
        QVERIFY(!QFile::exists(dir.filePath("fichier_excel.csv")));

        Outcome piped = convert({"-o", "-", recording});
        QCOMPARE(piped.status, status);
        QCOMPARE(piped.out, expected);

        for (const Outcome &run : {beside, piped})
            QVERIFY2(report.isEmpty() ? run.err.isEmpty()
                                      : run.err.contains(recording) && run.err.contains(report),
                     qPrintable(run.err));
    }

    // One run, several recordings: a missing one and one with invalid fields are each reported,
    // every other one is converted, and the worst status wins.
    void severalRecordingsGoToTheOutputDirectoryWhateverHappensToOne() {
        QTemporaryDir dir;
        const QString out = dir.filePath("tableurs/du jour"); // made when missing
        const QString missing = dir.filePath("transfert_absent.txt");
        Outcome run = convert(
            {"--output-dir", out, kData + "worked.txt", missing, kData + "invalid_fields.txt"});
        QCOMPARE(run.status, 2);
        QCOMPARE(readFile(out + "/worked.csv"), readFile(kData + "worked.csv"));
        QCOMPARE(readFile(out + "/invalid_fields.csv"), readFile(kData + "invalid_fields.csv"));
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 2);
        const QStringList lines = run.err.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(lines.size() == 2 && lines[0].contains(missing) &&
                     lines[0].contains("n'existe pas") && lines[1].contains("invalid_fields.txt") &&
                     lines[1].contains("ligne 2"),
                 qPrintable(run.err));

        // A folder that can't be made (here under a file) fails each file and says why.
        run = convert({"--output-dir", out + "/worked.csv/sortie", kData + "worked.txt",
                       kData + "empty.txt"});
        QCOMPARE(run.status, 2);
        const QStringList failed = run.err.split(u'\n', Qt::SkipEmptyParts);
        QVERIFY2(failed.size() == 2 && failed[0].contains("worked.txt") &&
                     failed[0].contains("worked.csv") && failed[1].contains("empty.txt") &&
                     failed[1].contains("empty.csv"),
                 qPrintable(run.err));
    }

    void outputsNeverReplaceTheRecordingOrEachOther_data() {
        QTest::addColumn<QStringList>("arguments"); // in a folder with mesure.csv, a/ and b/
        QTest::addColumn<QString>("kept");          // the file left as it was
        QTest::addColumn<QString>("content");       // what it holds, in the test data
        const QString itself = "mesure.csv";
        QTest::newRow("spreadsheet named as the recording")
            << QStringList{itself} << itself << "worked.txt";
        QTest::newRow("./ before the name")
            << QStringList{"-o", "./mesure.csv", itself} << itself << "worked.txt";
        QTest::newRow("a folder and ..")
            << QStringList{"-o", "a/../mesure.csv", itself} << itself << "worked.txt";
        QTest::newRow("symbolic link to the recording")
            << QStringList{"-o", "lien.csv", itself} << itself << "worked.txt";
        QTest::newRow("two recordings of one name")
            << QStringList{"--output-dir", ".", "a/jour.txt", "b/jour.txt"} << "jour.csv"
            << "worked.csv";
    }

    // A recording is never overwritten by its own spreadsheet, however it is named, nor one
    // spreadsheet by another of the same name in the same run.
    void outputsNeverReplaceTheRecordingOrEachOther() {
        QFETCH(QStringList, arguments);
#ifndef Q_OS_UNIX
        if (QByteArray(QTest::currentDataTag()).contains("symbolic link"))
            QSKIP("symbolic links of the file system are POSIX ones");
#endif
        QFETCH(QString, kept);
        QFETCH(QString, content);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("a") && QDir(dir.path()).mkpath("b"));
        QVERIFY(QFile::copy(kData + "worked.txt", dir.filePath("mesure.csv")));
        QVERIFY(QFile::link("mesure.csv", dir.filePath("lien.csv")));
        QVERIFY(QFile::copy(kData + "worked.txt", dir.filePath("a/jour.txt")));
        QVERIFY(QFile::copy(kData + "rows_across_lines.txt", dir.filePath("b/jour.txt")));

        Outcome run = convert(arguments, dir.path());
        QCOMPARE(run.status, 2);
        QCOMPARE(readFile(dir.filePath(kept)), readFile(kData + content));
        QVERIFY2(run.err.contains(arguments.last()) && run.err.contains("n'est pas remplacé"),
                 qPrintable(run.err));
    }

    void outputsThatAreNotRegularFilesAreWrittenInPlace_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "pipe";
        QTest::newRow("symbolic link to a file to make") << "link";
    }

    // A named pipe receives the spreadsheet and stays what it is; a symbolic link stays too, and
    // the file it leads to is written.
    void outputsThatAreNotRegularFilesAreWrittenInPlace() {
        QFETCH(QString, kind);
#ifndef Q_OS_UNIX
        QSKIP("named pipes and symbolic links of the file system are POSIX ones");
#else
        QTemporaryDir dir;
        const QString target = dir.filePath("sortie");
        const QByteArray native = QFile::encodeName(target);
        QProcess reader; // drains the pipe
        if (kind == "pipe") {
            QVERIFY(::mkfifo(native, 0600) == 0);
            reader.start("cat", {target});
        } else if (kind == "link") {
            QVERIFY(QFile::link("tableur.csv", target));
        }
        struct stat before = {}, after = {};
        QVERIFY(::lstat(native, &before) == 0);

        Outcome run = convert({"-o", target, kData + "worked.txt"});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.status, 0);
        QVERIFY(::lstat(native, &after) == 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_mode, before.st_mode);
        const QByteArray expected = readFile(kData + "worked.csv");
        if (kind == "pipe") {
            QVERIFY(reader.waitForFinished(-1));
            QCOMPARE(reader.readAllStandardOutput(), expected);
        } else if (kind == "link") {
            QCOMPARE(readFile(dir.filePath("tableur.csv")), expected);
        }
#endif
    }

    // A name that is not UTF-8 (an old Latin-1 "mesure_été.txt") keeps its bytes: the recording
    // is found, and its spreadsheet beside it bears the same name.
    void recordingNamesThatAreNotUtf8KeepTheirBytes() {
#ifndef Q_OS_UNIX
        QSKIP("a name is bytes on a POSIX system; Windows names are characters");
#endif
        QTemporaryDir dir;
        const std::string name = QFile::encodeName(dir.path()).toStdString() + "/mesure_\xe9t\xe9";
        // QTemporaryDir cannot spell these names to remove them.
        const auto cleanup = qScopeGuard([&] {
            std::remove((name + ".txt").c_str());
            std::remove((name + ".csv").c_str());
        });
        std::ofstream(name + ".txt", std::ios::binary)
            << readFile(kData + "worked.txt").toStdString();
        QProcess shell; // the shell passes the name's own bytes
        shell.setWorkingDirectory(dir.path());
        shell.start("sh", {"-c", "exec \"$0\" mesure_*.txt", VOLTERNE_CONVERT});
        QVERIFY(shell.waitForFinished(-1));
        QCOMPARE(shell.readAllStandardError(), QByteArray());
        QCOMPARE(shell.exitCode(), 0);
        std::ifstream csv(name + ".csv", std::ios::binary);
        const std::string written{std::istreambuf_iterator<char>(csv), {}};
        QCOMPARE(QByteArray::fromStdString(written), readFile(kData + "worked.csv"));
    }

    void argumentsGiveOptionsOrTheExactReason_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<ConvertOptions>("options"); // when they make sense
        QTest::addColumn<QString>("error");          // when they don't
        ConvertOptions typed, help;
        typed.recordings = {"-b.txt"}, typed.output = "x.csv", typed.png = "c.png";
        typed.size = {800, 600}, typed.interval = 0.5, help.help = true;
        typed.start = QDateTime(QDate(2026, 12, 6), QTime(14, 0));
        QTest::newRow("values after =, glued to -o or next; an interval as typed; --")
            << QStringList{"-ox.csv", "--png=c.png", "--size",           "800X600", "--interval",
                           " 0,5 ",   "--debut",     "2026-12-06 14:00", "--",      "-b.txt"}
            << typed << QString();
        QTest::newRow("help wins over what makes no sense")
            << QStringList{"--tableur", "--help", "--size", "0"} << help << QString();
        const auto refused = [](const char *name, const QStringList &arguments,
                                const QString &error) {
            QTest::newRow(name) << arguments << ConvertOptions() << error;
        };
        refused("no recording", {}, "aucun enregistrement donné");
        refused("unknown option", {"--tableur", "a"}, "option inconnue « --tableur »");
        refused("option without value", {"a", "--output-dir"},
                "l'option « --output-dir » attend une valeur");
        refused("empty value", {"-o=", "a"}, "l'option « -o » attend une valeur");
        refused("no interval of 0 s, the chart's own rule", {"--interval", "0", "a"},
                "intervalle « 0 » invalide : un nombre de secondes supérieur à 0 est attendu");
        refused("a start that is no moment", {"--debut", "06/12/2026", "a"},
                "début « 06/12/2026 » invalide : une date et une heure « AAAA-MM-JJ HH:MM[:SS] » "
                "sont attendues");
        refused("standard input", {"-"},
                "les enregistrements se lisent dans des fichiers, pas sur l'entrée standard");
    }

    void argumentsGiveOptionsOrTheExactReason() {
        QFETCH(QStringList, arguments);
        QFETCH(ConvertOptions, options);
        QFETCH(QString, error);
        const ParsedOptions parsed = parseConvertOptions(arguments);
        QCOMPARE(parsed.error, error);
        QVERIFY(parsed.options == (error.isEmpty() ? std::optional(options) : std::nullopt));
    }

    // The PNG is the window's chart of the whole recording, at the size asked, drawn with the
    // channels and interval of --settings; --mesures writes <name>_mesures.csv with them, in the
    // system's decimal separator, --interval winning; --settings alone makes no sense.
    void chartsAndMeasuresFollowTheSettingsFile() {
        QTemporaryDir dir;
        Profile profile(dir.filePath("param.ini"));
        MeasuresLayout layout{{}, 0.5, QLocale(QLocale::French)};
        layout.channels.channels[0] = {"Tension", "V", {0, 0, 1023, 5}};
        QVERIFY(layout.channels.save(profile) && saveChartInterval(profile, 0.5));
        const QString recording = dir.filePath("transfert_05122026.txt");
        QByteArray text = "Transfert\r\n";
        for (int i = 0; i < 500; ++i)
            text += sampleLine({0x100 + i, 0x300 - i, 0x200});
        text += "Effectue"; // no line end after the last line
        QVERIFY(writeFile(recording, text));
        const auto measures = [&] {
            const QString expected = dir.filePath("attendu.csv");
            return writeMeasuresFile(recording, expected, layout).ok() ? readFile(expected) : "";
        };
#ifndef Q_OS_UNIX
        QSKIP("the rest gives the converter a French locale through LC_ALL, as POSIX systems do");
#endif
        qputenv("LC_ALL", "fr_FR.UTF-8");
        const auto restore = qScopeGuard([] { qunsetenv("LC_ALL"); });

        Outcome run = convert({"--mesures", "--png", dir.filePath("courbe.png"), "--size",
                               "640x360", "--settings", profile.path(), recording});
        QCOMPARE(run.status, 0);
        QCOMPARE(readFile(dir.filePath("transfert_05122026_mesures.csv")), measures());
        QVERIFY(!QFile::exists(dir.filePath("transfert_05122026.csv")));
        SampleSeries series;
        series.setText(text);
        chart::Options options;
        options.interval = 0.5, options.channels = layout.channels, options.locale = layout.locale;
        const QImage expected = chart::render(series, QSize(640, 360), options);
        QCOMPARE(QImage(dir.filePath("courbe.png")).convertToFormat(expected.format()), expected);

        run = convert(
            {"--mesures", "--settings", profile.path(), "--interval", "2", "-o", "-", recording});
        layout.interval = 2;
        QCOMPARE(run.out, measures());
        run = convert({"--png-dir", dir.filePath("graphiques"), recording});
        QCOMPARE(run.status, 0);
        QCOMPARE(QImage(dir.filePath("graphiques/transfert_05122026.png")).size(),
                 QSize(1200, 600));
        QVERIFY(QFile::exists(dir.filePath("transfert_05122026.csv")));
        run = convert({"--settings", profile.path(), recording});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains("--settings ne vaut qu'avec --mesures"));
    }

    // A recording's facts file gives its interval, channels and start where the options say
    // nothing; --debut, --interval and --settings win; a damaged one is no error.
    void aRecordingsFactsFileGivesWhatTheOptionsDoNot() {
        QTemporaryDir dir;
        const QString recording = dir.filePath("transfert_06122026.txt");
        QVERIFY(writeFile(recording, sampleLine({1, 2, 3}) + sampleLine({4, 5, 6})));
        RecordingFacts facts;
        facts.interval = 90;
        facts.start = QDateTime(QDate(2026, 12, 6), QTime(23, 59));
        facts.channels.channels[1] = {"Lumière", "lx", {0, 0, 1, 10}};
        QVERIFY(facts.save(factsPath(recording)));
        const auto rows = [&](QStringList arguments) {
            const Outcome run = convert(arguments << "--mesures"
                                                  << "-o"
                                                  << "-" << recording);
            return run.status == 0 ? run.out.mid(3).split('\n').mid(0, 3)
                                   : QByteArrayList{run.err.toUtf8()};
        };
        QCOMPARE(rows({}), QByteArrayList({"Temps (s);Date et heure;Voie1;Lumière (lx);Voie3\r",
                                           "0;2026-12-06 23:59:00;1;20;3\r",
                                           "90;2026-12-07 00:00:30;4;50;6\r"}));
        QCOMPARE(
            rows({"--debut", "2026-01-31 08:00:05", "--interval", "1"}).mid(1),
            QByteArrayList({"0;2026-01-31 08:00:05;1;20;3\r", "1;2026-01-31 08:00:06;4;50;6\r"}));
        Profile settings(dir.filePath("param.ini"));
        QVERIFY(saveChartInterval(settings, 7));
        QCOMPARE(
            rows({"--settings", settings.path()}),
            QByteArrayList({"Temps (s);Date et heure;Voie1;Voie2;Voie3\r",
                            "0;2026-12-06 23:59:00;1;2;3\r", "90;2026-12-07 00:00:30;4;5;6\r"}));

        // The report tells the facts and the options' start.
        const QString pdf = dir.filePath("rapport.pdf");
        QCOMPARE(convert({"--pdf", pdf, "--debut", "2026-12-06 08:00", recording}).status, 0);
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (!pdftotext.isEmpty()) {
            QProcess text;
            text.start(pdftotext, {"-layout", pdf, "-"});
            QVERIFY(text.waitForFinished());
            const QString page = QString::fromUtf8(text.readAllStandardOutput());
            QVERIFY2(page.contains("transfert_06122026.txt") &&
                         page.contains("2026-12-06 08:00:00") && page.contains("Lumière"),
                     qPrintable(page));
        }
        QVERIFY(convert({"--pdf", pdf, recording, recording})
                    .err.contains("--pdf ne vaut que pour un seul enregistrement"));

        QVERIFY(writeFile(factsPath(recording), "\0\xFF[[debut=="));
        QCOMPARE(rows({}), QByteArrayList({"Voie1;Voie2;Voie3\r", "1;2;3\r", "4;5;6\r"}));
    }
};

QTEST_MAIN(ConvertTest)
#include "tst_convert.moc"
