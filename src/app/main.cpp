#include "app/desktop.h"
#include "app/form2.h"
#include "data/profile.h"
#include "app/programdir.h"
#include "app/settings.h"
#include "link/clock.h"
#include "link/portmap.h"
#include "link/serialtransport.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("volterne"));
    QApplication::setApplicationDisplayName(QStringLiteral("Ondrelle  Volterne"));

    const QString directory = programDirectory();
    const QString settings = QDir(directory).filePath(QLatin1String(kSettingsFileName));

    SteadyClock clock;
    SystemDesktop desktop;
    // The port map is read at each opening, so a newly wired device needs no restart.
    SerialTransport port(
        [settings](int number) { return deviceForPort(number, Profile(settings)); });

    Form2 window(Form2Parts{&port, &clock, &desktop, directory});
    window.Form_Load();
    window.show();
    return app.exec();
}
