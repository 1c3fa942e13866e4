// Speed of opening a 10 MB recording: loading the file as text lines, then showing it in a plain
// text area as the window does.
#include "app/byteview.h"
#include "data/recording.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
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
    QByteArray raw =
        "Transfert\r\n" + line.repeated(10 * 1000 * 1000 / line.size()) + "Effectue\r\n\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(raw) != raw.size()) return 1;
    file.close();

    QByteArray text;
    QString error;
    bool loaded = false;
    const double load = secondsOf([&] { loaded = loadRecording(path, &text, &error); });
    if (!loaded) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    ByteView area; // the receive area of the window
    const double show = secondsOf([&] { area.showBytes(text); });

    std::printf("recording of %.1f MB\n", raw.size() / 1e6);
    std::printf("loadRecording: %.3f s\n", load);
    std::printf("show in Text1: %.3f s\n", show);
    return 0;
}
