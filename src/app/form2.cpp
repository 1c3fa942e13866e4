#include "app/form2.h"

#include "app/byteview.h"
#include "app/byteviewaccessible.h"
#include "app/chartpane.h"
#include "data/chartsettings.h"
#include "app/desktop.h"
#include "data/period.h"
#include "app/portlist.h"
#include "app/programdir.h"
#include "data/settings.h"
#include "board/operations.h"
#include "data/profile.h"
#include "data/timetext.h"
#include "app/qtcolours.h"
#include "link/portmap.h"
#include "link/serialtransport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>

namespace {
constexpr char kAuthorAddress[] = "https://www.example.org/volterne";
// The window's shortcuts: stop, the internal EEPROM read-out, the About box.
const QKeySequence kStopKey(Qt::Key_Escape);
const QKeySequence kEepromKey(Qt::CTRL | Qt::Key_E);
const QKeySequence kAboutKey(Qt::Key_F1);

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
      m_dialogue(*m_parts.port, m_receive, m_indicators, *m_parts.clock) {
    readReceiveAreasAsLines();
    buildWidgets();
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(std::chrono::milliseconds(800));
    wireEvents();
    m_timer1.start();
    m_indicators.timer3().start();
}

Form2::~Form2() {
    // An operation still waiting is run through to its end now, so that nothing of it stays
    // suspended once the window is gone.
    m_tearingDown = true;
    if (m_dialogue.busy()) {
        m_receive.AppendFlag = false;
        m_dialogue.finish();
        m_dialogue.resumeNow();
    }
}

QString Form2::settingsPath() const {
    return QDir(m_parts.programDirectory).filePath(QLatin1String(kSettingsFileName));
}

void Form2::wireEvents() {
    connect(&m_timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(&m_indicators, &Indicators::changed, this, &Form2::showIndicators);
    connect(m_parts.port, &Transport::problem, this, &Form2::showLinkProblem);
    connect(m_parts.port, &Transport::lost, this, &Form2::onPortLost);
    connect(&m_dialogue, &Dialogue::idle, this, [this] { m_runningButton = nullptr; });
    // Queued: a pending end of the program goes on once the operation's coroutine has finished
    // unwinding.
    connect(&m_dialogue, &Dialogue::idle, this, &Form2::onOperationEnded, Qt::QueuedConnection);

    connect(&m_receive, &ReceivePath::latestChunkChanged, this,
            [this] { Text2->showBytes(m_receive.latestChunk()); });
    // The chart follows Text1: a new text replaces its samples, a download's chunks add to them,
    // and while live each chunk joins a rolling window of the last samples.
    connect(&m_receive, &ReceivePath::receiveBufferReset, this, [this] {
        Text1->showBytes(m_receive.receiveBuffer());
        Text1_Change();
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

    connect(graphique, &ChartPane::said, &m_indicators, &Indicators::setStatus);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form2::Combo1_Click);
    connect(Combo1, &PortList::aboutToShowPopup, this, &Form2::describePorts);
    // Picking an entry, even the one already selected, takes what it stands for now.
    connect(Combo1, &QComboBox::activated, this, [this] {
        if (!m_parts.ports) return;
        m_parts.ports->refresh();
        takePortAsShown();
    });
    for (QComboBox *list : {static_cast<QComboBox *>(Combo1), Combo3}) {
        connect(list->lineEdit(), &QLineEdit::textEdited, this,
                [this, list] { followTypedText(list); });
        connect(list->lineEdit(), &QLineEdit::editingFinished, this,
                [this, list] { settleTypedText(list); });
    }
    connect(Check1, &QCheckBox::toggled, this, &Form2::Check1_Click);
    connect(libre, &QLineEdit::textChanged, this, &Form2::libre_Change);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command8, &QPushButton::clicked, this, &Form2::Command8_Click);
    connect(lecture_badge, &QPushButton::clicked, this, &Form2::lecture_badge_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);

    const std::initializer_list<QObject *> pressed = {
        Command1, Command3, Command8, lecture_badge,     Command10,
        gache,    Label7,   Label16,  Text1->viewport(), Text2->viewport()};
    for (QObject *watched : pressed)
        watched->installEventFilter(this);

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

bool Form2::rightPressByKey(QObject *watched, QKeyEvent *event) {
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    return menuKey && rightPress(watched);
}

bool Form2::rightPress(QObject *target) {
    if (target == Command1)
        Command1_MouseDown(Qt::RightButton);
    else if (target == Command3)
        Command3_MouseDown(Qt::RightButton);
    else if (target == Command8)
        Command8_MouseDown(Qt::RightButton);
    else if (target == lecture_badge)
        lecture_badge_MouseDown(Qt::RightButton);
    else if (target == Command10)
        Command10_MouseDown(Qt::RightButton);
    else
        return false;
    return true;
}

void Form2::stopByKey() {
    if (m_dialogue.busy()) {
        if (m_runningButton)
            rightPress(m_runningButton);
        else
            m_dialogue.setAbortFlag(true); // the read-out has no button of its own
    } else if (m_receive.ReplaceFlag) {
        rightPress(lecture_badge);
    }
}

bool Form2::eventFilter(QObject *watched, QEvent *event) {
    const auto type = event->type();
    if (type == QEvent::ShortcutOverride && isWindowShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore(); // not the control's: the shortcut map goes on to the window's shortcut
        return true;
    }
    if (type == QEvent::KeyPress && rightPressByKey(watched, static_cast<QKeyEvent *>(event)))
        return true;
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);
    const Qt::MouseButton button = static_cast<QMouseEvent *>(event)->button();

    if (type == QEvent::MouseButtonPress) {
        // The press comes before the click of the same press.
        if (watched == Command1)
            Command1_MouseDown(button);
        else if (watched == Command3)
            Command3_MouseDown(button);
        else if (watched == Command8)
            Command8_MouseDown(button);
        else if (watched == lecture_badge)
            lecture_badge_MouseDown(button);
        else if (watched == Command10)
            Command10_MouseDown(button);
        else if (watched == gache)
            gache_MouseDown(button);
        else if (watched == Text2->viewport())
            Text2_MouseDown(button);
    } else if (type == QEvent::MouseButtonRelease && button == Qt::LeftButton) {
        if (watched == Label7)
            Label7_Click();
        else if (watched == Label16)
            Label16_Click();
        else if (watched == Text1->viewport())
            Text1_Click();
    } else if (type == QEvent::MouseButtonDblClick) {
        if (watched == Text1->viewport())
            Text1_DblClick();
        else if (watched == Text2->viewport())
            Text2_DblClick();
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::showIndicators() {
    Label14->setText(m_indicators.linkText());
    QPalette palette = Label14->palette();
    palette.setColor(QPalette::WindowText, colours::toQColor(m_indicators.linkColour()));
    Label14->setPalette(palette);
    Label14->setVisible(m_indicators.linkVisible());
    Label1->setText(m_indicators.status());
    Label4->setText(m_indicators.spinner());
    Label5->setText(m_indicators.elapsed());
}

void Form2::setBackColour(QWidget *widget, quint32 colour) {
    widget->setProperty("backColour", colour);
    QPalette palette = widget->palette();
    const QColor shown = colours::toQColor(colour);
    palette.setColor(QPalette::Button,
                     shown.isValid() ? shown : QApplication::palette().color(QPalette::Button));
    widget->setPalette(palette);
}

void Form2::showLinkProblem(const QString &message) {
    // A link that cannot be opened or that vanished never stops the program: the status says
    // why and keeps saying it until the user acts.
    m_indicators.setLink(message, colours::kRed);
    m_indicators.setLinkVisible(true);
}

void Form2::onPortLost() {
    setBackColour(Command10, colours::kButtonFace);
    // Real-time reading has no operation waiting: it stops here. A waiting operation ends by
    // itself and says so.
    if (m_receive.ReplaceFlag && !m_dialogue.busy()) {
        m_receive.ReplaceFlag = false;
        m_indicators.setStatus(QStringLiteral("Lecture en temps réel interrompue : port perdu"));
    }
}

void Form2::closeEvent(QCloseEvent *event) {
    if (m_dialogue.busy()) {
        event->ignore();
        endAfterOperation(Ending::Close);
        return;
    }
    QWidget::closeEvent(event);
}

void Form2::endAfterOperation(Ending ending) {
    if (m_ending != Ending::Quit) m_ending = ending;
    m_receive.AppendFlag = false; // what arrives from now on is not collected
    m_dialogue.finish();
}

void Form2::onOperationEnded() {
    switch (std::exchange(m_ending, Ending::None)) {
    case Ending::Quit:
        Command6_Click();
        break;
    case Ending::Close:
        close();
        break;
    case Ending::None:
        break;
    }
}

void Form2::followTypedText(QComboBox *list) {
    const int index =
        list->findText(list->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0 && index != list->currentIndex()) list->setCurrentIndex(index);
}

void Form2::settleTypedText(QComboBox *list) {
    const QString typed = list->currentText();
    const QString inUse = list->itemText(list->currentIndex());
    if (typed == inUse) return;
    list->setEditText(inUse);
    if (list == Combo1)
        m_indicators.setStatus(
            QStringLiteral("« %1 » n'est pas un port de la liste : le port reste %2.")
                .arg(typed, inUse));
    else if (inUse.isEmpty())
        m_indicators.setStatus(
            QStringLiteral("« %1 » n'est pas une période de la liste : aucune période n'est "
                           "choisie.")
                .arg(typed));
    else
        m_indicators.setStatus(
            QStringLiteral("« %1 » n'est pas une période de la liste : la période reste « %2 ».")
                .arg(typed, inUse));
}

// ---- Port, link and receive area -------------------------------------------------------------

void Form2::Combo1_Click() {
    const int number = Combo1->currentIndex() + 1;
    SerialTransport &port = *m_parts.port;
    if (port.isOpen() && number != port.portNumber()) {
        // The open port belongs to the entry chosen before: it closes, so that the next opening
        // uses the new entry. Not under a running operation, which talks to that port.
        if (m_dialogue.busy()) {
            const QSignalBlocker quiet(Combo1);
            Combo1->setCurrentIndex(port.portNumber() - 1);
            m_indicators.setStatus(QStringLiteral("Une opération est déjà en cours"));
            return;
        }
        const QString closed = port.portLabel();
        port.close();
        setBackColour(Command10, colours::kButtonFace);
        m_indicators.setLink(QStringLiteral("Port %1 fermé").arg(closed), colours::kBlue);
        m_indicators.setLinkVisible(true);
    }
    port.setPortNumber(number);
    // The ports are read again when the list opens, when the user picks an entry, and at each
    // opening of the port, not at every selection: start-up selects all twelve entries in turn.
    if (m_parts.ports) m_parts.ports->remember(number);
    Combo1->setToolTip(m_parts.ports ? m_parts.ports->entryText(number) : port.deviceName());
}

void Form2::describePorts() {
    if (!m_parts.ports) return;
    m_parts.ports->refresh();
    for (int i = 0; i < Combo1->count(); ++i)
        Combo1->setItemData(i, m_parts.ports->entryText(i + 1), Qt::UserRole);
    // The list opens wide enough for the longest description, not just for "COM12".
    QAbstractItemView *list = Combo1->view();
    list->setMinimumWidth(list->sizeHintForColumn(0) +
                          list->verticalScrollBar()->sizeHint().width() + 2 * list->frameWidth());
    // What the user sees in the list is what the entry stands for from now on.
    takePortAsShown();
}

void Form2::takePortAsShown() {
    const int number = Combo1->currentIndex() + 1;
    // A running operation keeps the device it talks to.
    if (!m_dialogue.busy()) m_parts.ports->remember(number);
    Combo1->setToolTip(m_parts.ports->entryText(number));
}

void Form2::Command10_MouseDown(Qt::MouseButton button) {
    if (button == Qt::LeftButton) {
        // Light green says that the port is open, never that it was tried.
        const bool open = m_parts.port->isOpen() || m_parts.port->open();
        setBackColour(Command10, open ? colours::kLightGreen : colours::kButtonFace);
        return;
    }
    if (m_parts.port->isOpen()) m_parts.port->close();
    setBackColour(Command10, colours::kButtonFace);
    m_indicators.timer3().stop();
    m_indicators.setLink(QStringLiteral("Platine Deconnectée"), colours::kBlue);
    m_indicators.setLinkVisible(true);
}

void Form2::Text1_Change() {
    Text1->moveCaretToEnd();
}

void Form2::Text1_Click() {
    Text1->setToolTip(QString::number(Text1->textCursor().position()));
}

// ---- Status display ----------------------------------------------------------------------------

void Form2::Timer1_Timer() {
    defile->setText(timeOfDayText(QTime::currentTime(), m_parts.locale));
}

void Form2::Label7_Click() {
    const QString guide = installedGuide();
    m_parts.desktop->inform(
        this, QStringLiteral("Ondrelle"),
        QStringLiteral("Site auteur : %1 ").arg(QLatin1String(kAuthorAddress)),
        QStringLiteral("Volterne version %1\nLogiciel libre sous licence GNU GPL version 3 ou "
                       "ultérieure.%2")
            .arg(QLatin1String(VOLTERNE_VERSION),
                 guide.isEmpty() ? QString() : QStringLiteral("\nGuide : ") + guide));
}

void Form2::Label16_Click() {
    Label7_Click();
}
