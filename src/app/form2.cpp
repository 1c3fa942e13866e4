// The window's construction, how its events reach the handlers (presses, keys, shortcuts, the
// receive path), its end, and the status display.
#include "app/form2.h"

#include "app/byteview.h"
#include "app/byteviewaccessible.h"
#include "app/chartpane.h"
#include "app/desktop.h"
#include "app/portlist.h"
#include "app/qtcolours.h"
#include "app/silence.h"
#include "data/filereason.h"
#include "data/settings.h"
#include "link/serialtransport.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>

namespace {
// The window's shortcuts: stop, the internal EEPROM read-out, the About box.
const QKeySequence kStopKey(Qt::Key_Escape);
const QKeySequence kEepromKey(Qt::CTRL | Qt::Key_E);
const QKeySequence kAboutKey(Qt::Key_F1);

// The file line under the receive areas when they hold no file.
const QString kNoFileCaption = QStringLiteral("...");

// Once per program: assistive technology reads the receive areas as the lines they show.
void readReceiveAreasAsLines() {
    static const bool installed = [] {
        ByteViewAccessible::install();
        return true;
    }();
    Q_UNUSED(installed);
}
} // namespace

Form2::Form2(Form2Parts parts, QWidget *parent)
    : QWidget(parent), m_parts(std::move(parts)), m_receive(*m_parts.port),
      m_dialogue(*m_parts.port, m_receive, m_indicators, *m_parts.clock),
      m_recordings({m_parts.desktop, m_parts.programDirectory, m_parts.locale, &m_receive,
                    &m_indicators, this, [this] { return m_session.tearingDown(); }}),
      m_liveKeeper(m_parts.programDirectory, m_parts.now), m_timer1(new QTimer(this)) {
    readReceiveAreasAsLines();
    buildWidgets();
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(std::chrono::milliseconds(800));
    wireEvents();
    m_timer1->start();
    m_indicators.timer3().start();
    setAcceptDrops(true); // a recording dropped on the window opens as with "Ouvrir"
}

Form2::~Form2() {
    // The session, destroyed next, still shows how the running operation ended: through the
    // indicators, not through the widgets' signals.
    silenceChildren(*this);
}

QString Form2::settingsPath() const {
    return QDir(m_parts.programDirectory).filePath(QLatin1String(kSettingsFileName));
}

void Form2::wireEvents() {
    connect(m_timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(&m_indicators, &Indicators::changed, this, &Form2::showIndicators);
    connect(m_parts.port, &Transport::problem, this, &Form2::showLinkProblem);
    connect(m_parts.port, &Transport::lost, this, &Form2::onPortLost);
    connect(&m_session, &Session::endNow, this, &Form2::onSessionEnd);
    connect(&m_recordings, &RecordingActions::captionChanged, nom_fichier, &QLabel::setText);
    // The recording shown names the chart's exported image.
    connect(&m_recordings, &RecordingActions::recordingShown, graphique, &ChartPane::setTitle);
    connect(&m_recordings, &RecordingActions::recordingOpened, this, &Form2::showRecordingFacts);
    connect(&m_recordings, &RecordingActions::converting, this, [this](bool waiting) {
        setBackColour(Command2, waiting ? colours::kLightCyan : colours::kButtonFace);
    });
    connect(graphique, &ChartPane::said, &m_indicators, &Indicators::setStatus);
    connect(graphique, &ChartPane::measuresExportRequested, this, [this] {
        const ChartPane::ShownSamples shown = graphique->shownSamples();
        m_recordings.exportMeasures(graphique->channels(), graphique->interval(), shown.lines,
                                    shown.first, shown.count, graphique->clock());
    });
    connect(graphique->keepLiveBox(), &QCheckBox::toggled, this, &Form2::settleLiveFile);
    connect(&m_session, &Session::runningChanged, this, &Form2::settleLiveFile);
    wireReceivePath();
    wireLists();

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command8, &QPushButton::clicked, this, &Form2::Command8_Click);
    connect(lecture_badge, &QPushButton::clicked, this, &Form2::lecture_badge_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
    wirePresses();
    wireShortcuts();
}

void Form2::wireReceivePath() {
    connect(&m_receive, &ReceivePath::chunkReceived, this, &Form2::keepLiveChunk);
    // An operation has emptied the receive areas for what the board sends: no file's name fits
    // them any more. A download names its recording once it is written.
    connect(&m_dialogue, &Dialogue::prepared, this,
            [this] { nom_fichier->setText(kNoFileCaption); });
    connect(&m_receive, &ReceivePath::latestChunkChanged, this,
            [this] { Text2->showBytes(m_receive.latestChunk()); });
    // The chart follows Text1: a new text replaces its samples, a download's chunks add to them,
    // and while live each chunk joins a rolling window of the last samples.
    connect(&m_receive, &ReceivePath::receiveBufferReset, this, [this] {
        Text1->showBytes(m_receive.receiveBuffer());
        Text1_Change();
        graphique->clearRecording(); // an opened recording says so once it is shown
        if (m_receive.ReplaceFlag)
            graphique->liveChunk(m_receive.receiveBuffer());
        else
            graphique->showText(m_receive.receiveBuffer());
    });
    connect(&m_receive, &ReceivePath::receiveBufferAppended, this, [this](const QByteArray &added) {
        Text1->appendBytes(added);
        Text1_Change();
        graphique->appendChunk(added);
    });
}

void Form2::keepLiveChunk(const QByteArray &chunk) {
    settleLiveFile();
    const QStringList said = watchLimits(chunk);
    if (!m_receive.ReplaceFlag || !graphique->keepsLive()) return;
    const bool starting = !m_liveKeeper.isOpen();
    if (starting) m_liveKeeper.setFacts(factsOfBoard());
    QString problem;
    if (!m_liveKeeper.append(chunk, &problem)) {
        // Unticked, so that the next chunk does not try again: the user ticks it once the folder
        // can take the file.
        graphique->keepLiveBox()->setChecked(false);
        m_indicators.setStatus(QStringLiteral("Lecture non enregistrée : %1").arg(problem));
    } else if (starting && said.isEmpty()) {
        m_indicators.setStatus(QStringLiteral("Temps reel actif, lecture enregistrée dans %1")
                                   .arg(filereason::shownPath(m_liveKeeper.path())));
    }
    for (const QString &sentence : said)
        m_liveKeeper.note(sentence);
}

void Form2::settleLiveFile() {
    if (m_receive.ReplaceFlag && graphique->keepsLive()) return;
    QString problem;
    if (!m_liveKeeper.close(&problem))
        m_indicators.setStatus(
            QStringLiteral("Informations de la lecture non enregistrées : %1").arg(problem));
}

QStringList Form2::watchLimits(const QByteArray &chunk) {
    if (!m_receive.ReplaceFlag) {
        m_watchingLimits = false;
        return {};
    }
    if (!m_watchingLimits) {
        m_limitWatch.restart(graphique->channels());
        m_watchingLimits = true;
        graphique->sayOnChart({});
    }
    const QStringList said = m_limitWatch.feed(chunk, m_parts.now().time());
    for (const QString &sentence : said) {
        m_indicators.setStatus(sentence);
        graphique->sayOnChart(sentence);
    }
    return said;
}

void Form2::wireLists() {
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form2::Combo1_Click);
    connect(Combo1, &PortList::aboutToShowPopup, this, &Form2::describePorts);
    // Picking an entry, even the one already selected, takes what it stands for now.
    connect(Combo1, &QComboBox::activated, this, [this] {
        if (!m_parts.ports) return;
        m_parts.ports->refresh();
        takePortAsShown();
    });
    for (QComboBox *list : {static_cast<QComboBox *>(Combo1), Combo3}) {
        connect(list->lineEdit(), &QLineEdit::textEdited, this, [list] { followTypedText(*list); });
        connect(list->lineEdit(), &QLineEdit::editingFinished, this, [this, list] {
            const QString refusal =
                settleTypedText(*list, list == Combo1 ? TypedList::Port : TypedList::Period);
            if (!refusal.isEmpty()) m_indicators.setStatus(refusal);
        });
    }
    connect(Check1, &QCheckBox::toggled, this, &Form2::Check1_Click);
    connect(libre, &QLineEdit::textChanged, this, &Form2::libre_Change);
}

// One table, built once: each watched element and what its presses do.
void Form2::wirePresses() {
    const auto pressOf = [this](void (Form2::*handler)(Qt::MouseButton)) {
        return [this, handler](Qt::MouseButton button) { (this->*handler)(button); };
    };
    m_presses = {
        {Command1, {pressOf(&Form2::Command1_MouseDown), {}, {}, true}},
        {Command3, {pressOf(&Form2::Command3_MouseDown), {}, {}, true}},
        {Command8, {pressOf(&Form2::Command8_MouseDown), {}, {}, true}},
        {lecture_badge, {pressOf(&Form2::lecture_badge_MouseDown), {}, {}, true}},
        {Command10, {pressOf(&Form2::Command10_MouseDown), {}, {}, true}},
        {gache, {pressOf(&Form2::gache_MouseDown), {}, {}, false}},
        {Text2->viewport(),
         {pressOf(&Form2::Text2_MouseDown), {}, [this] { Text2_DblClick(); }, false}},
        {Text1->viewport(), {{}, [this] { Text1_Click(); }, [this] { Text1_DblClick(); }, false}},
        {Label7, {{}, [this] { Label7_Click(); }, {}, false}},
        {Label16, {{}, [this] { Label16_Click(); }, {}, false}},
    };
    for (auto entry = m_presses.cbegin(); entry != m_presses.cend(); ++entry)
        const_cast<QObject *>(entry.key())->installEventFilter(this);
}

void Form2::wireShortcuts() {
    const auto shortcut = [this](QKeySequence keys, auto handler) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, handler);
    };
    shortcut(kStopKey, [this] { stopByKey(); });
    shortcut(kEepromKey, [this] { gache_MouseDown(Qt::RightButton); });
    shortcut(kAboutKey, [this] { Label7_Click(); });
    // A text field takes some of these keys for itself (Ctrl+E moves to the end of the line):
    // the window's shortcuts win whatever control has the focus.
    for (QWidget *control : findChildren<QWidget *>())
        if (control->focusPolicy() != Qt::NoFocus) control->installEventFilter(this);
}

bool Form2::isWindowShortcut(const QKeyEvent *event) {
    const QKeySequence keys(event->keyCombination());
    return keys == kStopKey || keys == kEepromKey || keys == kAboutKey;
}

bool Form2::pressByKey(QObject *watched, QKeyEvent *event) {
    const auto presses = m_presses.constFind(watched);
    if (presses == m_presses.cend() || !presses->pressByKey) return false;
    // Space presses a button as the left mouse button does; the button's own click follows when
    // the key is released.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier &&
        !event->isAutoRepeat()) {
        presses->press(Qt::LeftButton);
        return false;
    }
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (!menuKey) return false;
    presses->press(Qt::RightButton);
    return true;
}

QPushButton *Form2::buttonOf(Session::Operation operation) const {
    switch (operation) {
    case Session::Operation::Reset:
        return Command1;
    case Session::Operation::Download:
        return Command3;
    case Session::Operation::Period:
        return Command8;
    case Session::Operation::Live:
        return lecture_badge;
    default:
        return nullptr; // the read-out has no button of its own
    }
}

void Form2::stopByKey() {
    const Session::Operation operation = m_session.stoppable();
    if (QPushButton *button = buttonOf(operation))
        m_presses[button].press(Qt::RightButton);
    else if (operation != Session::Operation::None)
        m_session.stop(operation);
    settleLiveFile();
}

bool Form2::eventFilter(QObject *watched, QEvent *event) {
    const auto type = event->type();
    if (type == QEvent::ShortcutOverride && isWindowShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore(); // not the control's: the shortcut map goes on to the window's shortcut
        return true;
    }
    if (type == QEvent::KeyPress && pressByKey(watched, static_cast<QKeyEvent *>(event)))
        return true;
    const auto presses = m_presses.constFind(watched);
    if (presses == m_presses.cend()) return QWidget::eventFilter(watched, event);
    const Qt::MouseButton button =
        event->isPointerEvent() ? static_cast<QMouseEvent *>(event)->button() : Qt::NoButton;
    // The press comes before the click of the same press.
    if (type == QEvent::MouseButtonPress && presses->press)
        presses->press(button);
    else if (type == QEvent::MouseButtonRelease && button == Qt::LeftButton && presses->click)
        presses->click();
    else if (type == QEvent::MouseButtonDblClick && presses->doubleClick)
        presses->doubleClick();
    return QWidget::eventFilter(watched, event);
}

void Form2::closeEvent(QCloseEvent *event) {
    // The close button's close comes from the window system; the program's own and the one of a
    // session's end (which quits every program) do not.
    if (event->spontaneous()) m_closedByUser = true;
    if (!m_session.endAfterOperation(Session::Ending::Close)) {
        event->ignore(); // closes once the running operation has ended
        return;
    }
    QString problem;
    if (!m_savedAtEnd && !saveAtEnd(&problem)) {
        if (m_closedByUser) {
            // As "Quitter" does: the end goes on once the user knows.
            event->ignore();
            closeOnceSaid(problem);
            return;
        }
        // Nobody may be there to close a box: the session's end is not held up for it.
        m_parts.desktop->warn(this, QStringLiteral("Quitter"), unsavedSettings(problem));
    }
    QWidget::closeEvent(event);
}

QCoro::Task<> Form2::closeOnceSaid(QString problem) {
    co_await m_parts.desktop->warnAndWait(this, QStringLiteral("Quitter"),
                                          unsavedSettings(problem));
    // From the event loop: a close asked while the refused one is still being handled would be
    // dropped.
    QTimer::singleShot(0, this, [this] { close(); });
}

void Form2::dragEnterEvent(QDragEnterEvent *event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void Form2::dropEvent(QDropEvent *event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return;
    event->acceptProposedAction();
    openRecording(urls.front().toLocalFile());
}

void Form2::onSessionEnd(Session::Ending ending) {
    if (ending == Session::Ending::Quit)
        Command6_Click();
    else
        close();
}
