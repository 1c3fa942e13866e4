#include "app/desktop.h"
#include "app/focusstyle.h"
#include "app/form2.h"
#include "app/programdir.h"
#include "data/outputfile.h"
#include "data/profile.h"
#include "data/settings.h"
#include "link/clock.h"
#include "link/portmap.h"
#include "link/serialtransport.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("volterne"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ondrelle  Volterne"));
    QApplication::setApplicationVersion(QStringLiteral(VOLTERNE_VERSION));
#ifdef Q_OS_WIN
    // The themed Windows style paints every button in the theme's colour: Fusion shows the
    // buttons' colours (light green for an open port, light cyan for a waiting operation).
    QApplication::setStyle(new FocusStyle(QStringLiteral("Fusion")));
#else
    QApplication::setStyle(new FocusStyle);
#endif

    // The program's own texts are French whatever the system; the standard dialogs and buttons
    // (file dialogs, "OK", "Annuler") speak French too when the system does.
    QTranslator qtFrench;
    if (QLocale::system().language() == QLocale::French &&
        qtFrench.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    const QString directory = programDirectory();
    const QString settings = QDir(directory).filePath(QLatin1String(kSettingsFileName));

    SteadyClock clock;
    SystemDesktop desktop;
    // The port map is read again at each opening, so a newly wired or plugged device needs no
    // restart.
    PortMap ports([settings] { return configuredPorts(Profile(settings)); }, systemSerialPorts);
    SerialTransport port([&ports](int number) { return ports.target(number); });
    port.setPresentPorts([&ports] { return ports.presentText(); });

    Form2Parts parts{&port, &clock, &desktop, directory};
    parts.ports = &ports;
    Form2 window(parts);
    window.Form_Load();
    window.show();
    // `volterne FILE`, as a file manager starts it for a recording: the file opens as with
    // "Ouvrir". QApplication has taken its own options out of the arguments; the name is kept as
    // the system gave it (on Windows Qt reads the wide command line, every character kept).
#ifdef Q_OS_WIN
    const QStringList arguments = QCoreApplication::arguments().mid(1);
#else
    const QStringList arguments = commandLineArguments(argc, argv);
#endif
    if (!arguments.isEmpty()) window.openRecording(arguments.first());
    return app.exec();
}
