// volterne-convert: converts recordings into spreadsheet files (and charts) from the command line,
// through the same functions as the window. See --help.

#include "convert/batchconvert.h"
#include "convert/convertoptions.h"
#include "data/outputfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif
#include <memory>

int main(int argc, char *argv[]) {
#ifdef Q_OS_WIN
    // Bytes as they are: no CR added before each LF of a spreadsheet written to standard output.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    QFile out, err;
    out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);

    // A file name keeps its bytes, even those that are not UTF-8 (QCoreApplication::arguments()
    // would turn them into replacement characters and lose the file).
    const QStringList arguments = commandLineArguments(argc, argv);
    const ParsedOptions parsed = parseConvertOptions(arguments);
    if (!parsed.options) {
        err.write(QStringLiteral("volterne-convert: %1\nEssayez « volterne-convert --help ».\n")
                      .arg(parsed.error)
                      .toUtf8());
        return kConvertFailed;
    }
    const ConvertOptions &options = *parsed.options;
    if (options.help) {
        out.write(convertUsage().toUtf8());
        return kConvertDone;
    }
    if (options.version) {
        out.write("volterne-convert " VOLTERNE_VERSION "\n");
        return kConvertDone;
    }

    // Drawing a chart needs fonts, hence a GUI application; it needs no screen, so without a
    // chosen platform it draws offscreen and works on a server as well. Windows always has its
    // desktop, and there the offscreen platform knows none of the system's fonts.
    std::unique_ptr<QCoreApplication> app;
    if (options.wantsCharts()) {
#ifndef Q_OS_WIN
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return runConversions(options, out, err);
}
