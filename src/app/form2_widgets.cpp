// Builds the window's elements: names, captions, tips, colours, fonts, start states and layout.
#include "app/form2.h"

#include "app/byteview.h"
#include "app/chartpane.h"
#include "app/elidinglabel.h"
#include "app/portlist.h"
#include "app/qtcolours.h"
#include "data/period.h"
#include "link/portmap.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {
template <typename W> W *named(W *widget, const char *name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void setTextColour(QWidget *widget, quint32 colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colours::toQColor(colour));
    palette.setColor(QPalette::Text, colours::toQColor(colour));
    widget->setPalette(palette);
}

QFont receiveAreaFont() {
    if (QFontDatabase::families().contains(QStringLiteral("Fixedsys")))
        return QFont(QStringLiteral("Fixedsys"));
    return QFontDatabase::systemFont(QFontDatabase::FixedFont);
}
} // namespace

void Form2::buildWidgets() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Ondrelle  Volterne"));
    buildSettingsGroup();
    buildReceiveAreas();
    buildCommandsGroup();
    buildStatusGroup();
    layOut();
}

void Form2::buildSettingsGroup() {
    Frame3 = named(new QGroupBox(QStringLiteral("Parametrage"), this), "Frame3");
    libre = named(new QLineEdit(QStringLiteral("1"), Frame3), "libre");
    libre->setEnabled(false);
    libre->setToolTip(QString::fromUtf8(kFormulaTip));
    libre->setAccessibleName(QStringLiteral("Valeur libre"));
    {
        QPalette palette = libre->palette();
        palette.setColor(QPalette::Base, colours::toQColor(colours::kLightGreen));
        libre->setPalette(palette);
    }
    Check1 = named(new QCheckBox(QStringLiteral("Libre"), Frame3), "Check1");
    Combo3 = named(new QComboBox(Frame3), "Combo3");
    Combo3->setEditable(true);
    Combo3->setInsertPolicy(QComboBox::NoInsert);
    Combo3->setAccessibleName(QStringLiteral("Période d'acquisition"));
    Combo1 = named(new PortList(Frame3), "Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setAccessibleName(QStringLiteral("Port COM"));
    Combo1->setMaxVisibleItems(PortMap::kEntries); // all twelve entries, no scroll bar over them
    // The status beside the commands wraps within three lines whatever it says, so that no button
    // below it ever moves.
    Label1 = named(new ElidingLabel(indicator_texts::kNothing, 3, Frame3), "Label1");
    gache = named(new QLabel(QStringLiteral("Périodes d'acquisition :"), Frame3), "gache");
    gache->setBuddy(Combo3);
    gache->setToolTip(
        QStringLiteral("Clic droit ou Ctrl+E : lecture de l'EEPROM interne du microcontrôleur"));
    Label6 = named(new QLabel(QStringLiteral("Port COM"), Frame3), "Label6");
    Label6->setBuddy(Combo1);
    Label5 = named(new QLabel(QStringLiteral("...."), Frame3), "Label5");
    setTextColour(Label5, colours::kBlue);
    Label4 = named(new QLabel(QStringLiteral("/"), Frame3), "Label4");
    setTextColour(Label4, colours::kRed);
    QFont bold = Label4->font();
    bold.setBold(true);
    Label4->setFont(bold);
    // The spinner, the elapsed time and the time of day change several times a second: a label of
    // a fixed size changes without making the window lay itself out again each time.
    Label4->setFixedSize(Label4->fontMetrics().horizontalAdvance(QStringLiteral("---")),
                         Label4->sizeHint().height());
    Label5->setFixedSize(Label5->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 ")),
                         Label5->sizeHint().height());

    auto *settings = new QGridLayout(Frame3);
    settings->addWidget(gache, 0, 0);
    settings->addWidget(Combo3, 0, 1, 1, 2);
    settings->addWidget(Check1, 1, 0);
    settings->addWidget(libre, 1, 1, 1, 2);
    settings->addWidget(Label6, 2, 0);
    settings->addWidget(Combo1, 2, 1, 1, 2);
    settings->addWidget(Label1, 3, 0, 1, 2);
    auto *progress = new QHBoxLayout;
    progress->addWidget(Label4);
    progress->addWidget(Label5);
    settings->addLayout(progress, 3, 2);
    settings->setColumnStretch(1, 1);
}

void Form2::buildReceiveAreas() {
    Text1 = named(new ByteView(this), "Text1");
    Text1->setFont(receiveAreaFont());
    Text1->setAccessibleName(QStringLiteral("Données reçues"));
    Text1->setSource(&m_receive.receiveBuffer());
    // Wide enough for a line of the internal EEPROM's grid, 16 bytes in hexadecimal.
    Text1->setMinimumWidth(Text1->fontMetrics().horizontalAdvance(QString(48, u'F')) +
                           Text1->verticalScrollBar()->sizeHint().width() +
                           2 * (Text1->frameWidth() + int(Text1->document()->documentMargin())));
    {
        QPalette palette = Text1->palette();
        palette.setColor(QPalette::Text, colours::toQColor(colours::kBlue));
        palette.setColor(QPalette::Base, colours::toQColor(colours::kLightYellow));
        Text1->setPalette(palette);
    }
    Text2 = named(new ByteView(this), "Text2");
    Text2->setAccessibleName(QStringLiteral("Dernier bloc reçu"));
    Text2->setSource(&m_receive.latestChunk());
    Text2->setContextMenuPolicy(Qt::NoContextMenu); // its right press lays it out as a dump
    Text2->setStreaming(true);

    // One line that never widens the receive pane: a long name ends in "…", whole in the tip.
    nom_fichier = named(new ElidingLabel(QStringLiteral("..."), 1, this), "nom_fichier");
    setTextColour(nom_fichier, colours::kRed);
    nom_fichier->setTextInteractionFlags(Qt::TextSelectableByMouse);

    graphique = new ChartPane(m_parts.desktop, m_parts.programDirectory, this);
    graphique->setLocale(m_parts.locale); // its dates as the window writes them
}

void Form2::buildCommandsGroup() {
    Frame1 = named(new QGroupBox(QStringLiteral("Commandes"), this), "Frame1");
    auto button = [this](const char *name, const char *caption, const char *tip,
                         QStyle::StandardPixmap icon) {
        auto *b = named(
            new QPushButton(style()->standardIcon(icon), QString::fromUtf8(caption), Frame1), name);
        b->setToolTip(QString::fromUtf8(tip));
        b->setProperty("backColour", colours::kButtonFace);
        return b;
    };
    Command4 = button("Command4", "Ouvrir", "Ouverture d'un fichier enregistré",
                      QStyle::SP_DialogOpenButton);
    Command1 = button("Command1", "RAZ mémoire", "Raz complet de la mémoire EEPROM externe",
                      QStyle::SP_TrashIcon);
    Command3 = button("Command3", "Téléchargement mémoire", "Téléchargement", QStyle::SP_ArrowDown);
    Command8 = button("Command8", "Envoi programmation",
                      "Envoi de la programmation de la période d'acquisition vers le PIC",
                      QStyle::SP_ArrowUp);
    Command10 =
        button("Command10", "Connexion", "Click droit pour déconnecter", QStyle::SP_DriveNetIcon);
    Command6 = button("Command6", "Quitter", "Quitter l'application", QStyle::SP_DialogCloseButton);
    lecture_badge = button("lecture_badge", "Lecture en temps réel", "Mode lecture temps réel",
                           QStyle::SP_MediaPlay);
    Command2 =
        button("Command2", "Conversion Fichier", "Convertion et ouverture d'un fichier tableur",
               QStyle::SP_FileDialogDetailedView);
    Label16 = named(new QLabel(QStringLiteral("A propos de ..."), Frame1), "Label16");
    setTextColour(Label16, colours::kRed);
    Label16->setCursor(Qt::PointingHandCursor);

    auto *commands = new QGridLayout(Frame1);
    commands->addWidget(Command10, 0, 0);
    commands->addWidget(Command4, 0, 1);
    commands->addWidget(Command1, 1, 0);
    commands->addWidget(Command2, 1, 1);
    commands->addWidget(Command3, 2, 0);
    commands->addWidget(lecture_badge, 2, 1);
    commands->addWidget(Command8, 3, 0);
    commands->addWidget(Command6, 3, 1);
    commands->addWidget(Label16, 4, 0, 1, 2, Qt::AlignRight);
}

// The status group, without a caption.
void Form2::buildStatusGroup() {
    Frame4 = named(new QGroupBox(this), "Frame4");
    Label7 = named(new QLabel(QStringLiteral("Brisquet"), Frame4), "Label7");
    Label7->setCursor(Qt::PointingHandCursor);
    defile = named(new QLabel(QStringLiteral("..."), Frame4), "defile");
    defile->setFixedSize(defile->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 PM ")),
                         defile->sizeHint().height());
    // One line that never pushes the clock away: a long reason ends in "…", whole in its tip.
    Label14 = named(new ElidingLabel(indicator_texts::kDisconnected, 1, Frame4), "Label14");
    setTextColour(Label14, colours::kBlue);
    // Blinking must not make the neighbours move.
    QSizePolicy keepPlace = Label14->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Label14->setSizePolicy(keepPlace);
    auto *status = new QHBoxLayout(Frame4);
    status->addWidget(Label14, 1);
    status->addWidget(defile);
    status->addWidget(Label7);
}

namespace {
constexpr int kSmallestWidth = 640;
constexpr int kSmallestHeight = 400;
} // namespace

void Form2::layOut() {
    // Layout: settings and commands on the left, then the receive areas and the chart side by
    // side (the user moves the boundary), status below.
    auto *left = new QVBoxLayout;
    left->addWidget(Frame3);
    left->addWidget(Frame1);
    left->addStretch(1);
    auto *receiveAreas = new QWidget(this);
    auto *texts = new QVBoxLayout(receiveAreas);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->addWidget(Text1, 3);
    texts->addWidget(Text2, 1);
    texts->addWidget(nom_fichier);
    auto *right = new QSplitter(Qt::Horizontal, this);
    right->setChildrenCollapsible(false);
    right->addWidget(receiveAreas);
    right->addWidget(graphique);
    right->setStretchFactor(0, 2);
    right->setStretchFactor(1, 3);
    // On a screen too small for all of it, the window scrolls rather than clipping: every control
    // stays whole and reachable, the status below always in view.
    auto *content = new QWidget;
    auto *top = new QHBoxLayout(content);
    top->setContentsMargins(0, 0, 0, 0);
    top->addLayout(left);
    top->addWidget(right, 1);
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus); // not a stop of the keyboard order
    scroll->setWidget(content);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(scroll, 1);
    outer->addWidget(Frame4);

    // Keyboard order as the eye reads the window: settings, commands, then the receive areas.
    const QList<QWidget *> order = {Combo3,   Check1,   libre,    Combo1,   Command10,
                                    Command4, Command1, Command2, Command3, lecture_badge,
                                    Command8, Command6, Text1,    Text2};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Small enough for a 1024 × 600 screen, never narrower than the status line.
    setMinimumSize(std::max(kSmallestWidth, Frame4->minimumSizeHint().width()), kSmallestHeight);
    // Room for the chart beside the receive areas, within a 1366×768 screen.
    resize(1280, 680);
}
