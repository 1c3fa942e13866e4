// The window's start-up, shut-down, period choice, board-operation and recordings handlers.
#include "app/form2.h"

#include "app/chartpane.h"
#include "app/desktop.h"
#include "app/portlist.h"
#include "board/operations.h"
#include "data/number.h"
#include "data/period.h"
#include "data/profile.h"
#include "data/recording.h"
#include "data/settings.h"
#include "data/timetext.h"
#include "link/colours.h"
#include "link/portmap.h"
#include "link/serialtransport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const char *const kPortNames[] = {"COM1", "COM2", "COM3", "COM4",  "COM5",  "COM6",
                                  "COM7", "COM8", "COM9", "COM10", "COM11", "COM12"};
} // namespace

// ---- Start-up and shut-down ------------------------------------------------------------------

void Form2::Form_Load() {
    for (const char *name : kPortNames)
        Combo1->addItem(QLatin1String(name));
    Combo1->setCurrentIndex(0);
    for (const PeriodPreset &preset : kPeriodPresets)
        Combo3->addItem(QString::fromUtf8(preset.range));
    Combo3->setCurrentIndex(0);

    const WindowSettings stored = WindowSettings::read(Profile(settingsPath()));
    graphique->setInterval(stored.interval);
    graphique->setBoardSwitch(stored.boardSwitch);
    libre->setText(QString::fromLatin1(stored.freeValue));
    Check1->setChecked(stored.ticked);
    Combo3->setCurrentIndex(stored.index);

    // Every selection on the way sets the port number; without a match the walk ends on "COM12".
    for (int i = 0; i < Combo1->count(); ++i) {
        Combo1->setCurrentIndex(i);
        if (Combo1->currentText().toLatin1() == stored.port) break;
    }
}

void Form2::Command6_Click() {
    // A running operation ends first: a download saves what it collected.
    if (m_session.endAfterOperation(Session::Ending::Quit)) quit();
}

QCoro::Task<> Form2::quit() {
    QString problem;
    if (!m_savedAtEnd && !saveAtEnd(&problem)) {
        // The program ends all the same, but not before the user knows.
        co_await m_parts.desktop->warnAndWait(this, QStringLiteral("Quitter"),
                                              unsavedSettings(problem));
    }
    m_parts.exitProgram();
    close();
}

bool Form2::saveAtEnd(QString *problem) {
    m_savedAtEnd = true;
    if (m_parts.port->isOpen()) m_parts.port->close();
    m_liveKeeper.close(); // with everything received
    Profile profile(settingsPath());
    // The port in use, which typed text in the list never differs from once editing ended.
    const WindowSettings kept{Combo1->itemText(Combo1->currentIndex()).toLatin1(),
                              libre->text().toLatin1(),
                              Check1->isChecked(),
                              Combo3->currentIndex(),
                              graphique->settingsInterval(),
                              graphique->boardSwitch()};
    return kept.save(profile, problem);
}

QString Form2::unsavedSettings(const QString &problem) {
    return QStringLiteral("Les paramètres n'ont pas pu être enregistrés. %1").arg(problem);
}

// ---- Period choice -----------------------------------------------------------------------------

void Form2::Check1_Click() {
    libre->setEnabled(Check1->isChecked());
}

void Form2::libre_Change() {
    const std::optional<double> x = parseNumber(libre->text());
    if (!x) return; // not a number (yet): the tip keeps its previous text
    if (*x > kFreeValueMax) {
        libre->setText(QString::number(kFreeValueMax)); // runs this handler again, at once
        return;
    }
    libre->setToolTip(periodTip(*x, m_parts.locale));
}

// ---- Board operations --------------------------------------------------------------------------
// A click that would start an operation while another one waits starts nothing: one board
// dialogue at a time. The right press still stops the waiting one.

void Form2::operationMouseDown(QPushButton *button, Session::Operation operation,
                               Qt::MouseButton pressed) {
    if (pressed == Qt::RightButton) {
        m_session.stop(operation);
        settleLiveFile(); // a stopped real-time reading closes its file
    }
    setBackColour(button, pressed == Qt::LeftButton ? colours::kLightCyan : colours::kButtonFace);
}

void Form2::Command1_MouseDown(Qt::MouseButton button) {
    operationMouseDown(Command1, Session::Operation::Reset, button);
}

void Form2::Command3_MouseDown(Qt::MouseButton button) {
    operationMouseDown(Command3, Session::Operation::Download, button);
}

void Form2::Command8_MouseDown(Qt::MouseButton button) {
    operationMouseDown(Command8, Session::Operation::Period, button);
}

void Form2::lecture_badge_MouseDown(Qt::MouseButton button) {
    operationMouseDown(lecture_badge, Session::Operation::Live, button);
}

void Form2::Command1_Click() {
    m_session.start(Session::Operation::Reset, [this] {
        memoryReset(m_dialogue, [this] {
            noteBoard(
                [now = wholeSecond(m_parts.now())](BoardHistory &board) { board.lastReset = now; });
        });
    });
}

void Form2::Command3_Click() {
    m_session.start(Session::Operation::Download, [this] {
        graphique->setTitle(recordingFileName(m_parts.today())); // the download's file
        memoryDownload(m_dialogue,
                       {QDir(m_parts.programDirectory), m_parts.today(),
                        [this](QString path, QByteArray content, QString reason) {
                            return m_recordings.saveElsewhere(path, content, reason);
                        },
                        [this](const QString &path, qint64 samples) {
                            writeDownloadFacts(path, samples);
                            // The receive area holds the recording now written there.
                            nom_fichier->setText(recordingCaption(QFileInfo(path), m_parts.locale) +
                                                 recordingSpan());
                        }});
    });
}

void Form2::Command8_Click() {
    m_session.start(Session::Operation::Period, [this] {
        const std::optional<quint16> value = selectPeriodValue(
            Combo3->currentIndex(), Check1->isChecked(), libre->text(), PeriodValue);
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
        periodProgramming(m_dialogue, PeriodValue, [this, sent = PeriodValue] {
            takeProgrammedInterval(sent);
            noteBoard([sent, now = wholeSecond(m_parts.now())](BoardHistory &board) {
                board.lastProgramming = now;
                board.period = sent;
            });
        });
    });
}

void Form2::takeProgrammedInterval(quint16 periodValue) {
    const int boardSwitch = graphique->boardSwitch();
    graphique->setProgrammedInterval(programmedInterval(periodValue, boardSwitch),
                                     programmedIntervalTip(periodValue, boardSwitch));
}

Form2::BoardOnPort Form2::boardOnPort() const {
    const int number = m_parts.port->portNumber();
    BoardOnPort board{QStringLiteral("COM%1").arg(number), m_parts.port->deviceName(), {}, {}};
    if (m_parts.ports) {
        const FoundPort chosen = m_parts.ports->chosenDevice(number);
        if (!chosen.device.isEmpty()) board.device = chosen.device;
        board.serialNumber = chosen.serialNumber;
    }
    board.identity = !board.serialNumber.isEmpty() ? board.serialNumber
                     : !board.device.isEmpty()     ? board.device
                                                   : board.port;
    return board;
}

void Form2::noteBoard(const std::function<void(BoardHistory &)> &change) {
    const QString identity = boardOnPort().identity;
    Profile profile(settingsPath());
    BoardHistory board = BoardHistory::read(profile, identity);
    change(board);
    QString problem;
    if (!board.save(profile, identity, &problem))
        m_indicators.setStatus(QStringLiteral("%1 ; l'heure n'a pas pu être notée : %2")
                                   .arg(m_indicators.status(), problem));
}

RecordingFacts Form2::factsOfBoard(BoardHistory *history) const {
    const BoardOnPort board = boardOnPort();
    const BoardHistory known = BoardHistory::read(Profile(settingsPath()), board.identity);
    if (history) *history = known;
    RecordingFacts facts;
    facts.port = board.port;
    facts.device = board.device;
    facts.serialNumber = board.serialNumber;
    facts.periodCode = known.period;
    facts.boardSwitch = graphique->boardSwitch();
    facts.interval = graphique->settingsInterval();
    facts.channels = graphique->settingsChannels();
    return facts;
}

void Form2::writeDownloadFacts(const QString &path, qint64 samples) {
    BoardHistory history;
    RecordingFacts facts = factsOfBoard(&history);
    facts.recorded = wholeSecond(m_parts.now());
    std::tie(facts.start, facts.startOrigin) =
        downloadStart(history.lastReset, facts.recorded, samples, facts.interval);
    // A file of an earlier recording of that name has moved with it; one left without its
    // recording is not this one's.
    const QString file = factsPath(path);
    QFile::remove(file);
    QString problem;
    if (!facts.save(file, &problem))
        m_indicators.setStatus(
            QStringLiteral("%1 ; informations de l'enregistrement non écrites : %2")
                .arg(m_indicators.status(), problem));
    graphique->setRecording(path, facts);
}

void Form2::showRecordingFacts(const QString &path) {
    graphique->setRecording(path, RecordingFacts::read(factsPath(path)));
    // The status names the span; what the opening finds wrong follows and replaces it. The span
    // said of a recording opened before says nothing of this one.
    const QString span = recordingSpan();
    if (span.isEmpty()) {
        if (!m_spanSaid.isEmpty() && m_indicators.status() == m_spanSaid)
            m_indicators.setStatus(indicator_texts::kNothing);
        return;
    }
    nom_fichier->setText(nom_fichier->text() + span);
    m_spanSaid = QStringLiteral("« %1 »%2 (début : %3)")
                     .arg(QFileInfo(path).fileName(), span,
                          startOriginText(graphique->recordingFacts()->startOrigin));
    m_indicators.setStatus(m_spanSaid);
}

QString Form2::recordingSpan() const {
    const SampleClock clock = graphique->clock();
    const qint64 samples = graphique->series().size();
    if (!clock.known() || samples == 0) return {};
    return QStringLiteral(" - du %1 au %2")
        .arg(localDateTimeText(clock.at(0), m_parts.locale),
             localDateTimeText(clock.at(samples - 1), m_parts.locale));
}

void Form2::lecture_badge_Click() {
    m_session.start(Session::Operation::Live, [this] { liveReading(m_dialogue); });
}

void Form2::gache_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton)
        m_session.start(Session::Operation::Eeprom, [this] { eepromReadout(m_dialogue); });
}

// ---- Recordings --------------------------------------------------------------------------------

void Form2::Command4_Click() {
    m_recordings.open();
}

void Form2::Command2_Click() {
    m_recordings.convert();
}

void Form2::Text1_DblClick() {
    m_recordings.handOver();
}

void Form2::Text2_MouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) m_recordings.layOutLatestChunk();
}

void Form2::Text2_DblClick() {
    m_recordings.clearLatestChunk();
}

void Form2::openRecording(const QString &path) {
    m_recordings.open(path);
}
