#pragma once

#include "app/form2.h"
#include "app/portlist.h"
#include "bytes.h"
#include "data/profile.h"
#include "fakedesktop.h"
#include "link/clock.h"
#include "link/portmap.h"
#include "link/serialtransport.h"

#include "app/byteview.h"
#include "app/chartpane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

// The real window on a given serial device (every port entry leads there), with its files in a
// temporary directory (or `programDirectory` when given), a stand-in desktop, 5 December 2026 as
// today (and `wallClock` as the time when a test sets it), no ending of the program (`exitProgram`
// instead), and `settings` as its param.ini when given. Form_Load has run.
//
// With `found`, the entries lead where the port map puts them instead: its [ports] lines and
// the ports in `found` at each moment, which a test changes to plug adapters in and out.
struct WindowRig {
    explicit WindowRig(const QString &device, const QByteArray &settings = {},
                       const QLocale &locale = QLocale::c(), const QString &programDirectory = {},
                       const QList<FoundPort> *found = nullptr)
        : port([this, device](int number) {
              return ports ? ports->target(number) : PortTarget(device);
          }) {
        if (!settings.isNull()) writeFile(path(QStringLiteral("param.ini")), settings);
        Form2Parts parts{&port, &clock, &desktop,
                         programDirectory.isEmpty() ? directory.path() : programDirectory};
        parts.today = [] { return QDate(2026, 12, 5); };
        parts.now = [this] {
            return wallClock.isValid() ? wallClock : QDateTime::currentDateTime();
        };
        parts.exitProgram = [this] { exitProgram(); };
        parts.locale = locale;
        if (found) {
            ports = std::make_unique<PortMap>(
                [this] { return configuredPorts(Profile(path(QStringLiteral("param.ini")))); },
                [found] { return *found; });
            port.setPresentPorts([this] { return ports->presentText(); });
            parts.ports = ports.get();
        }
        window = std::make_unique<Form2>(parts);
        window->Form_Load();
    }

    QString path(const QString &name) const { return directory.filePath(name); }

    QTemporaryDir directory;
    SteadyClock clock;
    FakeDesktop desktop;
    std::unique_ptr<PortMap> ports;
    SerialTransport port;
    std::unique_ptr<Form2> window;
    std::function<void()> exitProgram = [] {}; // what "Quitter" does when it ends the program
    QDateTime wallClock; // the window's time of day when valid, else the system's
};

// The window's elements, found by their element names.
struct Elements {
    explicit Elements(const QWidget &window) : m_window(window) {}

private:
    const QWidget &m_window; // first: the elements below are found in it

public:
    template <typename T> T *find(const char *name) const {
        T *found = m_window.findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(found, name, "no such element");
        return found;
    }
    QLineEdit *libre = find<QLineEdit>("libre");
    QCheckBox *Check1 = find<QCheckBox>("Check1");
    QComboBox *Combo3 = find<QComboBox>("Combo3");
    PortList *Combo1 = find<PortList>("Combo1");
    QLabel *Label1 = find<QLabel>("Label1");
    QLabel *gache = find<QLabel>("gache");
    ByteView *Text1 = find<ByteView>("Text1");
    ByteView *Text2 = find<ByteView>("Text2");
    QGroupBox *Frame1 = find<QGroupBox>("Frame1");
    QPushButton *Command4 = find<QPushButton>("Command4");
    QPushButton *Command1 = find<QPushButton>("Command1");
    QPushButton *Command3 = find<QPushButton>("Command3");
    QPushButton *Command8 = find<QPushButton>("Command8");
    QPushButton *Command10 = find<QPushButton>("Command10");
    QPushButton *Command6 = find<QPushButton>("Command6");
    QPushButton *lecture_badge = find<QPushButton>("lecture_badge");
    QPushButton *Command2 = find<QPushButton>("Command2");
    QLabel *Label16 = find<QLabel>("Label16");
    QLabel *Label7 = find<QLabel>("Label7");
    QLabel *defile = find<QLabel>("defile");
    QLabel *Label14 = find<QLabel>("Label14");
    QLabel *nom_fichier = find<QLabel>("nom_fichier");
    ChartPane *graphique = find<ChartPane>("graphique");
    QTimer *Timer1 = find<QTimer>("Timer1");
};

inline Elements ui(const QWidget &window) {
    return Elements(window);
}

inline const QLocale kFrench(QLocale::French, QLocale::France);

// A device path that leads nowhere.
inline const QString kNoDevice = QStringLiteral("/dev/volterne-missing");

inline quint32 backColour(const QWidget *widget) {
    return widget->property("backColour").toUInt();
}
