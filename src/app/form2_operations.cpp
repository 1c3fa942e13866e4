// The window's start-up, shut-down, period choice and board-operation handlers.
#include "app/form2.h"

#include "app/chartpane.h"
#include "data/chartsettings.h"
#include "app/desktop.h"
#include "data/period.h"
#include "app/portlist.h"
#include "data/settings.h"
#include "board/operations.h"
#include "data/profile.h"
#include "link/colours.h"
#include "link/serialtransport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const char *const kPortNames[] = {"COM1", "COM2", "COM3", "COM4",  "COM5",  "COM6",
                                  "COM7", "COM8", "COM9", "COM10", "COM11", "COM12"};
const char *const kPeriodRanges[] = {"0.5 sec à 3.5  sec", "4   sec à 28   sec",
                                     "30  sec à 210  sec", "5   mn  à 35   min",
                                     "45  mn  à 315  min"};
} // namespace

// ---- Start-up and shut-down ------------------------------------------------------------------

void Form2::Form_Load() {
    for (const char *name : kPortNames)
        Combo1->addItem(QLatin1String(name));
    Combo1->setCurrentIndex(0);
    for (const char *range : kPeriodRanges)
        Combo3->addItem(QString::fromUtf8(range));
    Combo3->setCurrentIndex(0);

    const Profile profile(settingsPath());
    const StoredSettings stored = readSettings(profile);
    graphique->setInterval(readChartInterval(profile));
    libre->setText(QString::fromLatin1(stored.freeValue));
    Check1->setChecked(restoredTick(stored.select));
    Combo3->setCurrentIndex(restoredIndex(stored.index));

    // Every selection on the way sets the port number; without a match the walk ends on "COM12".
    for (int i = 0; i < Combo1->count(); ++i) {
        Combo1->setCurrentIndex(i);
        if (Combo1->currentText().toLatin1() == stored.port) break;
    }
}

void Form2::Command6_Click() {
    // A running operation ends first: a download saves what it collected.
    if (m_dialogue.busy()) {
        endAfterOperation(Ending::Quit);
        return;
    }
    quit();
}

QCoro::Task<> Form2::quit() {
    if (m_parts.port->isOpen()) m_parts.port->close();
    Profile profile(settingsPath());
    QString problem;
    // The port in use, which typed text in the list never differs from once editing ended.
    const QString port = Combo1->itemText(Combo1->currentIndex());
    bool saved = saveSettings(profile, port.toLatin1(), libre->text().toLatin1(),
                              Check1->isChecked(), Combo3->currentIndex(), &problem);
    // The chart's interval has a section of its own, written only once there is something to
    // keep, so that a file of the four settings alone stays as it was.
    if (saved && (graphique->interval() > 0 || !profile.value("graphique", "intervalle").isEmpty()))
        saved = saveChartInterval(profile, graphique->interval(), &problem);
    if (!saved) {
        // The program ends all the same, but not before the user knows.
        co_await m_parts.desktop->warnAndWait(
            this, QStringLiteral("Quitter"),
            QStringLiteral("Les paramètres n'ont pas pu être enregistrés. %1").arg(problem));
    }
    QCoreApplication::exit(0);
    close();
}

// ---- Period choice -----------------------------------------------------------------------------

void Form2::Check1_Click() {
    libre->setEnabled(Check1->isChecked());
}

void Form2::libre_Change() {
    const std::optional<double> x = parseFreeValue(libre->text(), m_parts.locale);
    if (!x) return; // not a number (yet): the tip keeps its previous text
    if (*x > kFreeValueMax) {
        libre->setText(QString::number(kFreeValueMax)); // runs this handler again, at once
        return;
    }
    libre->setToolTip(periodTip(*x, m_parts.locale));
}

// ---- Board operations --------------------------------------------------------------------------

void Form2::operationMouseDown(QPushButton *button, Qt::MouseButton pressed) {
    if (pressed == Qt::RightButton) m_dialogue.setAbortFlag(true);
    setBackColour(button, pressed == Qt::LeftButton ? colours::kLightCyan : colours::kButtonFace);
}

void Form2::Command1_MouseDown(Qt::MouseButton button) {
    operationMouseDown(Command1, button);
}

void Form2::Command3_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) m_receive.AppendFlag = false;
    operationMouseDown(Command3, button);
}

void Form2::Command8_MouseDown(Qt::MouseButton button) {
    operationMouseDown(Command8, button);
}

void Form2::lecture_badge_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) m_receive.ReplaceFlag = false;
    operationMouseDown(lecture_badge, button);
}

// A click that would start an operation while another one waits starts nothing: one board
// dialogue at a time. The right-press abort still reaches the waiting one.
bool Form2::canStartOperation() {
    if (!m_dialogue.busy()) return true;
    m_indicators.setStatus(QStringLiteral("Une opération est déjà en cours"));
    return false;
}

void Form2::Command1_Click() {
    if (!canStartOperation()) return;
    m_runningButton = Command1;
    memoryReset(m_dialogue);
}

void Form2::Command3_Click() {
    if (!canStartOperation()) return;
    DownloadTarget target{QDir(m_parts.programDirectory), m_parts.today(),
                          [this](QString path, QByteArray content, QString reason) {
                              return saveElsewhere(path, content, reason);
                          }};
    m_runningButton = Command3;
    memoryDownload(m_dialogue, std::move(target));
}

void Form2::Command8_Click() {
    if (!canStartOperation()) return;
    const std::optional<quint16> value = selectPeriodValue(
        Combo3->currentIndex(), Check1->isChecked(), libre->text(), m_parts.locale, PeriodValue);
    if (!value) {
        m_indicators.setStatus(
            QStringLiteral("Valeur libre « %1 » invalide : entrez un nombre de %2 à %3. "
                           "Rien n'a été envoyé.")
                .arg(libre->text())
                .arg(kFreeValueMin)
                .arg(kFreeValueMax));
        return;
    }
    PeriodValue = *value;
    m_runningButton = Command8;
    periodProgramming(m_dialogue, PeriodValue);
}

void Form2::lecture_badge_Click() {
    if (!canStartOperation()) return;
    m_runningButton = lecture_badge;
    liveReading(m_dialogue);
}

void Form2::gache_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton && canStartOperation()) eepromReadout(m_dialogue);
}
