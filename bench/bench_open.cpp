// Speed of "Ouvrir" on a 10 MB recording, in the real window: the file read as text lines, shown
// in the receive area with the caret moved to its end, with the channels' default settings and
// then with the three channels calibrated in three units (the chart's statistics are computed in
// both), then with a facts file beside it (its start, interval and channels: a clock axis). Also
// the file reading alone.
#include "app/byteview.h"
#include "data/facts.h"
#include "data/recording.h"
#include "rig.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

namespace {

template <typename Work> double secondsOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString path = dir.filePath("transfert_05122026.txt");
    const QByteArray line = "0123 0456 0789 .\r\n";
    const QByteArray raw =
        "Transfert\r\n" + line.repeated(10 * 1000 * 1000 / line.size()) + "Effectue\r\n\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(raw) != raw.size()) return 1;
    file.close();

    QByteArray text;
    QString error;
    const double load = secondsOf([&] { loadRecording(path, &text, &error); });

    std::printf("recording of %.1f MB\n", raw.size() / 1e6);
    std::printf("loadRecording: %.3f s\n", load);
    const QByteArray calibrated = "[voies]\r\nunite1=V\r\netalonnage1=0;0;1023;5\r\nunite2=°C\r\n"
                                  "etalonnage2=100;50;300;-50\r\nunite3=hPa\r\n"
                                  "etalonnage3=0;900;1023;1100\r\n";
    bool whole = true;
    const char *const cases[] = {"default channels", "calibrated channels",
                                 "calibrated channels, with its facts file"};
    for (const char *label : cases) {
        const QByteArray settings = label == cases[0] ? QByteArray() : calibrated;
        if (label == cases[2]) {
            RecordingFacts facts;
            facts.interval = 30;
            facts.start = QDateTime(QDate(2026, 12, 1), QTime(8, 0));
            facts.startOrigin = StartOrigin::LastReset;
            facts.channels.channels[0] = {"Tension", "V", {0, 0, 1023, 5}, 1, 4};
            if (!facts.save(factsPath(path))) return 1;
        }
        WindowRig rig(QStringLiteral("/dev/volterne-unused"), settings);
        Form2 &window = *rig.window;
        window.show();
        app.processEvents();
        rig.desktop.nextRecording = path;
        const double open = secondsOf([&] {
            window.Command4_Click();
            app.processEvents();                  // the first paint of the opened recording
            while (!ui(window).Text1->showsAll()) // and the rest of it, a slice per turn
                app.processEvents();
        });
        const bool same = window.receive().receiveBuffer() == text && !text.isEmpty();
        whole = whole && same;
        std::printf("Ouvrir, shown, %s: %.3f s (target under 2 s) %s\n", label, open,
                    same ? "OK" : "MISMATCH");
    }
    return whole ? 0 : 1;
}
