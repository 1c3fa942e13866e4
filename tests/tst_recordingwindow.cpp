// The window's recording handlers, offscreen: Ouvrir, Conversion Fichier, handing the receive area
// to the desktop, the dump of the latest chunk, and a download whose recording cannot be written.
#include "app/byteview.h"
#include "app/colours.h"
#include "app/form2.h"
#include "fakedesktop.h"
#include "link/clock.h"
#include "link/serialtransport.h"
#include "simulator.h"

#include <QClipboard>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
constexpr int kBoardPatienceMs = 30000;
const QStringList kQuickBoard = {QStringLiteral("--cycle-ms"),  QStringLiteral("700"),
                                 QStringLiteral("--gap-ms"),    QStringLiteral("260"),
                                 QStringLiteral("--erase-ms"),  QStringLiteral("400"),
                                 QStringLiteral("--line-rate"), QStringLiteral("0")};
const QString kNoBoard = QStringLiteral("/dev/volterne-missing");
const QString kRecordingName = QStringLiteral("transfert_05122026.txt");

// The bytes of a literal, embedded NULs included.
template <qsizetype N> QByteArray bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

QByteArray everyByteValue() {
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    return all;
}

bool writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 backColour(QWidget *widget) {
    return widget->property("backColour").toUInt();
}

// A window whose COM ports all lead to `device`, with a French locale, 5 December 2026 as today
// and its program directory in a temporary directory (or `programDirectory` when given).
struct Bench {
    explicit Bench(const QString &device = kNoBoard, const QString &programDirectory = {})
        : port([device](int) { return device; }) {
        Form2Parts parts{&port, &clock, &desktop,
                         programDirectory.isEmpty() ? directory.path() : programDirectory};
        parts.today = [] { return QDate(2026, 12, 5); };
        parts.locale = QLocale(QLocale::French, QLocale::France);
        window = std::make_unique<Form2>(parts);
        window->Form_Load();
    }
    QString path(const QString &name) const { return directory.filePath(name); }

    QTemporaryDir directory;
    SteadyClock clock;
    FakeDesktop desktop;
    SerialTransport port;
    std::unique_ptr<Form2> window;
};
} // namespace

class RecordingWindowTest : public QObject {
    Q_OBJECT
private slots:
    void ouvrirShowsEveryLineEndedAndCaptionsTheFile();
    void ouvrirCancelledOrOnAMissingFileChangesNothing();
    void conversionWritesTheSpreadsheetOpensItAndRestoresTheButton_data();
    void conversionWritesTheSpreadsheetOpensItAndRestoresTheButton();
    void aCancelledOrUnreadableConversionKeepsTheFormerSpreadsheet();
    void doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop_data();
    void doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop();
    void pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting_data();
    void pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting();
    void doubleClickingTheLatestChunkEmptiesIt();
    void aDownloadThatCannotBeWrittenAsksWhereToSaveIt_data();
    void aDownloadThatCannotBeWrittenAsksWhereToSaveIt();
};

void RecordingWindowTest::ouvrirShowsEveryLineEndedAndCaptionsTheFile() {
    Bench bench;
    Form2 &w = *bench.window;
    w.receive().setReceiveBuffer("ancien contenu\r\n");

    // A lone CR, a CR LF, a blank line, bytes beyond ASCII and a last line without its end.
    const QByteArray raw = bytes("0123 0456 0789 .\rEffectue\r\n\r\nfin\0\xE9\xFF");
    const QString path = bench.path(kRecordingName);
    QVERIFY(writeFile(path, raw));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9)),
                             QFileDevice::FileModificationTime));
    file.close();

    bench.desktop.nextRecording = path;
    QTest::mouseClick(w.Command4, Qt::LeftButton);

    const QByteArray shown = bytes("0123 0456 0789 .\r\nEffectue\r\n\r\nfin\0\xE9\xFF\r\n");
    QCOMPARE(w.receive().receiveBuffer(), shown);
    QCOMPARE(
        w.nom_fichier->text(),
        QStringLiteral("transfert_05122026.txt - 05/12/2026 14:03:09 - %1 oct").arg(raw.size()));
    w.Text1->selectAll();
    w.Text1->copy();
    QCOMPARE(QGuiApplication::clipboard()->text().toLatin1(), shown);
    QVERIFY(bench.desktop.messages.isEmpty());
}

void RecordingWindowTest::ouvrirCancelledOrOnAMissingFileChangesNothing() {
    Bench bench;
    Form2 &w = *bench.window;
    QVERIFY(writeFile(bench.path(kRecordingName), "ligne 1\r\nligne 2\r\n"));
    bench.desktop.nextRecording = bench.path(kRecordingName);
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    const QByteArray text = w.receive().receiveBuffer();
    const QString caption = w.nom_fichier->text();
    QCOMPARE(text, QByteArray("ligne 1\r\nligne 2\r\n"));

    bench.desktop.nextRecording.clear();
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(w.receive().receiveBuffer(), text);
    QCOMPARE(w.nom_fichier->text(), caption);
    QVERIFY(bench.desktop.messages.isEmpty());

    bench.desktop.nextRecording = bench.path(QStringLiteral("transfert_01032027.txt"));
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(bench.desktop.messages.size(), 1);
    QVERIFY2(bench.desktop.messages.first().startsWith(QStringLiteral("Ouvrir|")) &&
                 bench.desktop.messages.first().contains(QStringLiteral("transfert_01032027.txt")),
             qPrintable(bench.desktop.messages.first()));
    QCOMPARE(w.receive().receiveBuffer(), text);
    QCOMPARE(w.nom_fichier->text(), caption);
    QVERIFY(bench.desktop.opened.isEmpty());

    // While a download collects into Text1, opening a file there is refused.
    w.receive().AppendFlag = 1;
    bench.desktop.nextRecording = bench.path(kRecordingName);
    w.receive().setReceiveBuffer("0123 0456");
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QCOMPARE(w.receive().receiveBuffer(), QByteArray("0123 0456"));
    QCOMPARE(bench.desktop.messages.size(), 2);
}

void RecordingWindowTest::conversionWritesTheSpreadsheetOpensItAndRestoresTheButton_data() {
    QTest::addColumn<QByteArray>("recording");
    QTest::addColumn<QByteArray>("spreadsheet");
    QTest::addColumn<QStringList>("statusParts"); // empty: Label1 keeps "..."

    QTest::newRow("three fields") << QByteArray("0123 0456 0789 .\r\n")
                                  << QByteArray("Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n")
                                  << QStringList();
    QTest::newRow("invalid fields left empty")
        << QByteArray("Debut\r\n0123 0456 0789 .\r\n0001 0G02 0003 .\r\n0004 zzzz 0006 .\r\n")
        << QByteArray("Voie1;Voie2;Voie3\r\n291;1110;1929;\r\n1;;3;\r\n4;;6;\r\n")
        << QStringList{QStringLiteral("2 champ"), QStringLiteral("ligne 3")};
}

void RecordingWindowTest::conversionWritesTheSpreadsheetOpensItAndRestoresTheButton() {
    QFETCH(QByteArray, recording);
    QFETCH(QByteArray, spreadsheet);
    QFETCH(QStringList, statusParts);
    Bench bench;
    Form2 &w = *bench.window;
    const QString output = bench.path(QStringLiteral("fichier_excel.csv"));
    QVERIFY(writeFile(output, QByteArray(4096, 'x'))); // the previous conversion's, longer
    QVERIFY(writeFile(bench.path(kRecordingName), recording));

    bench.desktop.nextRecording = bench.path(kRecordingName);
    QTest::mouseClick(w.Command2, Qt::LeftButton);

    QCOMPARE(readFile(output), spreadsheet);
    QCOMPARE(w.nom_fichier->text(), kRecordingName);
    QCOMPARE(bench.desktop.opened, QStringList{output});
    QCOMPARE(backColour(w.Command2), colours::kButtonFace);
    QVERIFY(bench.desktop.messages.isEmpty());
    if (statusParts.isEmpty()) QCOMPARE(w.Label1->text(), QStringLiteral("..."));
    for (const QString &part : statusParts)
        QVERIFY2(w.Label1->text().contains(part), qPrintable(w.Label1->text()));
}

void RecordingWindowTest::aCancelledOrUnreadableConversionKeepsTheFormerSpreadsheet() {
    Bench bench;
    Form2 &w = *bench.window;
    const QString output = bench.path(QStringLiteral("fichier_excel.csv"));
    const QByteArray former = "Voie1;Voie2;Voie3\r\n1;2;3;\r\n";
    QVERIFY(writeFile(output, former));

    QTest::mouseClick(w.Command2, Qt::LeftButton); // the dialog is cancelled
    QCOMPARE(backColour(w.Command2), colours::kLightCyan);
    QCOMPARE(w.nom_fichier->text(), QStringLiteral("..."));
    QCOMPARE(readFile(output), former);
    QVERIFY(bench.desktop.opened.isEmpty());
    QVERIFY(bench.desktop.messages.isEmpty());

    bench.desktop.nextRecording = bench.path(kRecordingName); // named in the dialog, never made
    QTest::mouseClick(w.Command2, Qt::LeftButton);
    QCOMPARE(bench.desktop.messages.size(), 1);
    QVERIFY2(bench.desktop.messages.first().startsWith(QStringLiteral("Conversion Fichier|")) &&
                 bench.desktop.messages.first().contains(kRecordingName),
             qPrintable(bench.desktop.messages.first()));
    QCOMPARE(backColour(w.Command2), colours::kButtonFace);
    QCOMPARE(readFile(output), former);
    QVERIFY(bench.desktop.opened.isEmpty());
}

void RecordingWindowTest::doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop_data() {
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("every byte value")
        << everyByteValue() + "\r\n0123 0456 0789 .\r\n" + everyByteValue();
    QTest::newRow("empty") << QByteArray();
}

void RecordingWindowTest::doubleClickingTheReceiveAreaHandsItsExactBytesToTheDesktop() {
    QFETCH(QByteArray, shown);
    Bench bench;
    Form2 &w = *bench.window;
    const QString temp = bench.path(QStringLiteral("temp.txt"));
    QVERIFY(writeFile(temp, QByteArray(4096, 'x'))); // the previous double-click's, longer
    w.receive().setReceiveBuffer(shown);

    QTest::mouseDClick(w.Text1->viewport(), Qt::LeftButton);

    QCOMPARE(readFile(temp), shown + "\r\n");
    QCOMPARE(bench.desktop.opened, QStringList{temp});
    QCOMPARE(w.receive().receiveBuffer(), shown);
}

void RecordingWindowTest::pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting_data() {
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("appendFlag");
    QTest::addColumn<int>("replaceFlag");
    QTest::addColumn<QByteArray>("text2");
    QTest::addColumn<QByteArray>("text1");

    const QByteArray chunk = "AB12CD.EF";
    const QByteArray dump = "AB 12 CD \r\nEF \r\n";
    const QByteArray collected = "collecte\r\n";
    QTest::newRow("right") << chunk << Qt::RightButton << 0 << 0 << dump << collected;
    QTest::newRow("right on nothing")
        << QByteArray() << Qt::RightButton << 0 << 0 << QByteArray("\r\n") << collected;
    QTest::newRow("left") << chunk << Qt::LeftButton << 0 << 0 << chunk << collected;
    QTest::newRow("middle") << chunk << Qt::MiddleButton << 0 << 0 << chunk << collected;
    QTest::newRow("right while collecting")
        << chunk << Qt::RightButton << 1 << 0 << chunk << collected;
    QTest::newRow("right while live") << chunk << Qt::RightButton << 0 << 1 << dump << dump;
}

void RecordingWindowTest::pressesOnTheLatestChunkLayItOutOnlyWhenRightAndNotCollecting() {
    QFETCH(QByteArray, chunk);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, appendFlag);
    QFETCH(int, replaceFlag);
    QFETCH(QByteArray, text2);
    QFETCH(QByteArray, text1);
    Bench bench;
    Form2 &w = *bench.window;
    w.receive().setReceiveBuffer("collecte\r\n");
    w.receive().setLatestChunk(chunk);
    w.receive().AppendFlag = qint16(appendFlag);
    w.receive().ReplaceFlag = qint16(replaceFlag);

    QTest::mousePress(w.Text2->viewport(), button);

    QCOMPARE(w.receive().latestChunk(), text2);
    QCOMPARE(w.receive().receiveBuffer(), text1);
}

void RecordingWindowTest::doubleClickingTheLatestChunkEmptiesIt() {
    Bench bench;
    Form2 &w = *bench.window;
    w.receive().setReceiveBuffer("collecte\r\n");
    w.receive().setLatestChunk("0123 0456 0789 .\r\n");

    QTest::mouseDClick(w.Text2->viewport(), Qt::LeftButton);

    QCOMPARE(w.receive().latestChunk(), QByteArray());
    QCOMPARE(w.Text2->toPlainText(), QString());
    QCOMPARE(w.receive().receiveBuffer(), QByteArray("collecte\r\n"));
}

void RecordingWindowTest::aDownloadThatCannotBeWrittenAsksWhereToSaveIt_data() {
    QTest::addColumn<QString>("answer"); // relative to a writable directory; empty: cancelled
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("saved");
    QTest::newRow("saved elsewhere") << QStringLiteral("ailleurs.txt") << 1 << true;
    QTest::newRow("cancelled") << QString() << 1 << false;
    QTest::newRow("elsewhere unwritable too, then cancelled")
        << QStringLiteral("absent/ailleurs.txt") << 2 << false;
}

void RecordingWindowTest::aDownloadThatCannotBeWrittenAsksWhereToSaveIt() {
    QFETCH(QString, answer);
    QFETCH(int, questions);
    QFETCH(bool, saved);
    Simulator board(kQuickBoard);
    QVERIFY2(board.isRunning(), qPrintable(board.errorString()));
    QTemporaryDir elsewhere;
    const QString missing = elsewhere.filePath(QStringLiteral("programme-absent"));
    Bench bench(board.devicePath(), missing);
    Form2 &w = *bench.window;
    const QString chosen = answer.isEmpty() ? QString() : elsewhere.filePath(answer);
    bench.desktop.nextSaveLocation = chosen;

    QTest::mouseClick(w.Command3, Qt::LeftButton);
    QVERIFY(w.dialogue().busy());
    QTRY_VERIFY_WITH_TIMEOUT(!w.dialogue().busy(), kBoardPatienceMs);
    QCOMPARE(bench.desktop.saveQuestions, questions);

    // Asked only once the collection was over, with the dated recording first proposed.
    const QByteArray collected = w.receive().receiveBuffer();
    QVERIFY(collected.contains("Effectue"));
    QVERIFY2(bench.desktop.lastSaveReason.contains(
                 QFileInfo(bench.desktop.lastSaveSuggestion).fileName()),
             qPrintable(bench.desktop.lastSaveReason));
    QCOMPARE(bench.desktop.lastSaveSuggestion,
             questions == 1 ? QDir(missing).filePath(kRecordingName) : chosen);
    QVERIFY(!QFileInfo::exists(missing));

    const QString status = w.Label1->text();
    if (saved) {
        QCOMPARE(readFile(chosen), collected + "\r\n");
        QVERIFY2(status.startsWith(QStringLiteral("Transfert Effecué")) &&
                     status.contains(QStringLiteral("ailleurs.txt")),
                 qPrintable(status));
    } else {
        QVERIFY2(status.contains(QStringLiteral("non enregistré")), qPrintable(status));
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files), QStringList());
        QCOMPARE(w.receive().receiveBuffer(), collected);
    }
}

QTEST_MAIN(RecordingWindowTest)
#include "tst_recordingwindow.moc"
