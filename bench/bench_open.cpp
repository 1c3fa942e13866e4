// Speed of "Ouvrir" on a 10 MB recording, in the real window: the file read as text lines, shown
// in the receive area with the caret moved to its end. Also the file reading alone.
#include "app/byteview.h"
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

    WindowRig rig(QStringLiteral("/dev/volterne-unused"));
    Form2 &window = *rig.window;
    window.show();
    app.processEvents();
    rig.desktop.nextRecording = path;
    const double open = secondsOf([&] {
        window.Command4_Click();
        app.processEvents();                  // the first paint of the opened recording
        while (!ui(window).Text1->showsAll()) // and the rest of it, a slice per event-loop turn
            app.processEvents();
    });
    const bool whole = window.receive().receiveBuffer() == text && !text.isEmpty();

    std::printf("recording of %.1f MB\n", raw.size() / 1e6);
    std::printf("loadRecording: %.3f s\n", load);
    std::printf("Ouvrir, shown: %.3f s (target under 2 s) %s\n", open, whole ? "OK" : "MISMATCH");
    return whole ? 0 : 1;
}
