#include "app/chartpane.h"

#include "app/channelsdialog.h"
#include "app/chartview.h"
#include "app/desktop.h"
#include "app/silence.h"
#include "chart/report.h"
#include "data/chartsettings.h"
#include "data/filereason.h"
#include "data/period.h"
#include "data/profile.h"
#include "data/settings.h"
#include "data/timetext.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolTip>

#include <QVBoxLayout>
#include <functional>

namespace {
constexpr char kImageName[] = "graphique.png";
const QString kExportTitle = QStringLiteral("Exporter l'image");
// An image of a hidden or tiny plot would say little: the export then uses this size.
constexpr QSize kSmallestImage(320, 200);
const QString kIntervalTip = QStringLiteral("Intervalle d'échantillonnage de la platine, en "
                                            "secondes ; vide : numéros d'échantillons");

// Says a refused value beside the control it was typed into.
void sayAt(QWidget *control, const QString &sentence) {
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), sentence, control);
}

// Text on its way to an interval: digits with at most one decimal separator (or nothing).
bool mayBecomeInterval(const QString &text) {
    static const QRegularExpression kTyping(QStringLiteral("^\\s*\\d*([.,]\\d*)?\\s*$"));
    return kTyping.match(text).hasMatch();
}

// "Commutateur S": a value out of 1 to 7 that the box refuses is said, not silently dropped.
class SwitchBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    std::function<void(const QString &)> refused;

protected:
    QValidator::State validate(QString &text, int &position) const override {
        const QValidator::State state = QSpinBox::validate(text, position);
        if (state == QValidator::Invalid && refused) refused(text);
        return state;
    }
};
} // namespace

ChartPane::ChartPane(Desktop *desktop, QString directory, QWidget *parent)
    : QWidget(parent), m_desktop(desktop), m_directory(std::move(directory)) {
    setObjectName(QStringLiteral("graphique"));
    setAccessibleName(QStringLiteral("Graphique"));

    m_view = new ChartView(m_series, this);
    buildStatistics();
    buildControls();

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawPause);
    connect(&m_redraw, &QTimer::timeout, m_view, &ChartView::seriesChanged);
    connect(m_intervalField, &QLineEdit::textEdited, this, &ChartPane::intervalEdited);
    connect(m_intervalField, &QLineEdit::editingFinished, this, &ChartPane::settleInterval);
    connect(m_startField, &QLineEdit::editingFinished, this, &ChartPane::settleStart);
    connect(m_export, &QPushButton::clicked, this, [this] { exportImage(); });
    connect(m_channelsButton, &QPushButton::clicked, this, &ChartPane::editChannels);
    connect(m_view, &ChartView::shownChanged, this, &ChartPane::showStatistics);
    setChannels(ChannelSettings::read(Profile(settingsPath())));
}

// The min/max/mean table of the shown samples: a header row, then a row for each channel.
void ChartPane::buildStatistics() {
    m_statistics = new QWidget(this);
    m_statistics->setAccessibleName(QStringLiteral("Statistiques"));
    auto *table = new QGridLayout(m_statistics);
    table->setContentsMargins(4, 2, 4, 2);
    table->setVerticalSpacing(0);
    for (int column = 0; column < chart::kStatisticsColumns; ++column) {
        auto *header = new QLabel(QStringLiteral("<b>%1</b>").arg(chart::kStatisticsHeader[column]),
                                  m_statistics);
        header->setAlignment(column == 0 ? Qt::AlignLeft : Qt::AlignRight);
        table->addWidget(header, 0, column + 1);
        if (column == chart::kOutsideColumn) {
            m_outsideHeader = header;
            header->hide(); // until a visible channel has limits
        }
    }
    for (int c = 0; c < kChannels; ++c) {
        auto *swatch = new QLabel(
            QStringLiteral("<span style=\"color:%1\">■</span>").arg(chart::kColours[c].name()),
            m_statistics);
        m_statisticsRows[c][0] = swatch;
        table->addWidget(swatch, c + 1, 0);
        for (int column = 0; column < chart::kStatisticsColumns; ++column) {
            auto *cell = new QLabel(m_statistics);
            cell->setTextFormat(Qt::PlainText);
            cell->setTextInteractionFlags(Qt::TextSelectableByMouse);
            cell->setAlignment(column == 0 ? Qt::AlignLeft : Qt::AlignRight);
            m_statisticsRows[c][column + 1] = cell;
            table->addWidget(cell, c + 1, column + 1);
            if (column == chart::kOutsideColumn) cell->hide();
        }
    }
    table->setColumnStretch(chart::kStatisticsColumns + 1, 1);
}

// The interval, "Voies…" and export controls under the chart, and the live row below them.
void ChartPane::buildControls() {
    m_intervalField = new QLineEdit(this);
    m_intervalField->setAccessibleName(QStringLiteral("Intervalle (s)"));
    m_intervalField->setToolTip(kIntervalTip);
    m_intervalField->setMaximumWidth(90);
    auto *label = new QLabel(QStringLiteral("Intervalle (s)"), this);
    label->setBuddy(m_intervalField);
    m_channelsButton = new QPushButton(QStringLiteral("&Voies…"), this);
    m_channelsButton->setAccessibleName(QStringLiteral("Voies…"));
    m_channelsButton->setToolTip(
        QStringLiteral("Noms, unités et étalonnages des trois voies (Alt+V)"));
    m_export = new QPushButton(QStringLiteral("Exporter l'image…"), this);
    m_exportMeasures = new QPushButton(QStringLiteral("Exporter les mesures…"), this);
    m_exportMeasures->setToolTip(QStringLiteral("Un tableur du temps et des valeurs dans leurs "
                                                "unités"));
    connect(m_exportMeasures, &QPushButton::clicked, this, &ChartPane::measuresExportRequested);
    m_report = new QPushButton(QStringLiteral("Rapport PDF…"), this);
    m_report->setObjectName(QStringLiteral("rapport"));
    m_report->setToolTip(QStringLiteral("Une page A4 à imprimer : les informations de "
                                        "l'enregistrement, le graphique affiché, les voies et "
                                        "leurs statistiques"));
    connect(m_report, &QPushButton::clicked, this, [this] { exportReport(); });
    auto *switchBox = new SwitchBox(this);
    switchBox->refused = [this, switchBox](const QString &text) {
        const QString sentence =
            QStringLiteral("« %1 » : le commutateur S va de %2 à %3, il reste à %4.")
                .arg(text.trimmed())
                .arg(kSwitchMin)
                .arg(kSwitchMax)
                .arg(switchBox->value());
        sayAt(switchBox, sentence);
        emit said(sentence);
    };
    m_switch = switchBox;
    m_switch->setObjectName(QStringLiteral("commutateur"));
    m_switch->setRange(kSwitchMin, kSwitchMax);
    m_switch->setAccessibleName(QStringLiteral("Commutateur S"));
    m_switch->setToolTip(QStringLiteral("Commutateur S de la platine (%1 à %2) : après une "
                                        "programmation confirmée, l'intervalle vaut %3")
                             .arg(kSwitchMin)
                             .arg(kSwitchMax)
                             .arg(periodFormula()));
    auto *switchLabel = new QLabel(QStringLiteral("Commutateur S"), this);
    switchLabel->setBuddy(m_switch);
    m_keepLive = new QCheckBox(QStringLiteral("Enregistrer la lecture"), this);
    m_keepLive->setObjectName(QStringLiteral("enregistrer_lecture"));
    m_keepLive->setToolTip(QStringLiteral("Chaque bloc reçu en lecture en temps réel est ajouté "
                                          "à temps_reel_<date>_<heure>.txt"));

    m_recordingNote = new QLabel(QStringLiteral("Voies et intervalle de l'enregistrement"), this);
    m_recordingNote->setObjectName(QStringLiteral("voies_enregistrement"));
    m_recordingNote->hide();
    m_chartNote = new QLabel(this);
    m_chartNote->setObjectName(QStringLiteral("alerte"));
    m_chartNote->setStyleSheet(QStringLiteral("color: #B00000"));
    m_chartNote->hide();
    m_startField = new QLineEdit(this);
    m_startField->setObjectName(QStringLiteral("debut"));
    m_startField->setAccessibleName(QStringLiteral("Début"));
    m_startField->setPlaceholderText(QStringLiteral("inconnu"));
    m_startField->setToolTip(QStringLiteral("Date et heure du premier échantillon de "
                                            "l'enregistrement, à corriger au besoin"));
    m_startField->setMinimumWidth(
        m_startField->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000 00:00:00")) + 16);
    m_startField->hide();
    m_startLabel = new QLabel(QStringLiteral("Début"), this);
    m_startLabel->setBuddy(m_startField);
    m_startLabel->hide();

    auto *controls = new QHBoxLayout;
    controls->addWidget(label);
    controls->addWidget(m_intervalField);
    controls->addStretch(1);
    controls->addWidget(m_channelsButton);
    controls->addWidget(m_export);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Above the chart, what it draws: a recording's own settings, or a live reading's excursion
    // (never both: a live reading shows no recording).
    auto *notes = new QHBoxLayout;
    notes->addWidget(m_recordingNote);
    notes->addWidget(m_chartNote);
    notes->addStretch(1);
    layout->addLayout(notes);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_statistics);
    layout->addLayout(controls);
    // A row of their own, so that one row of controls does not widen the window.
    auto *liveControls = new QHBoxLayout;
    liveControls->addWidget(switchLabel);
    liveControls->addWidget(m_switch);
    liveControls->addWidget(m_keepLive);
    liveControls->addStretch(1);
    liveControls->addWidget(m_exportMeasures);
    layout->addLayout(liveControls);
    // The recording shown: its start, and its report.
    auto *recordingControls = new QHBoxLayout;
    recordingControls->addWidget(m_startLabel);
    recordingControls->addWidget(m_startField);
    recordingControls->addStretch(1);
    recordingControls->addWidget(m_report);
    layout->addLayout(recordingControls);
}

QString ChartPane::settingsPath() const {
    return QDir(m_directory).filePath(QLatin1String(kSettingsFileName));
}

void ChartPane::setChannels(const ChannelSettings &channels) {
    m_settingsChannels = channels;
    if (m_facts) m_facts->channels = channels;
    m_channels = channels;
    m_view->setChannels(channels);
}

void ChartPane::setRecording(const QString &recordingPath,
                             const std::optional<RecordingFacts> &facts) {
    m_recordingPath = recordingPath;
    m_facts = facts;
    if (facts) {
        m_channels = facts->channels;
        m_view->setChannels(m_channels);
        if (facts->interval > 0) showInterval(facts->interval); // else the settings' holds
    }
    showRecordingControls();
}

void ChartPane::clearRecording() {
    if (m_recordingPath.isEmpty()) return;
    m_recordingPath.clear();
    const bool own = m_facts.has_value();
    m_facts.reset();
    if (own) {
        m_channels = m_settingsChannels;
        m_view->setChannels(m_channels);
        showInterval(m_settingsInterval);
    }
    showRecordingControls();
}

void ChartPane::showRecordingControls() {
    const bool recording = !m_recordingPath.isEmpty();
    m_recordingNote->setVisible(m_facts.has_value());
    m_startLabel->setVisible(recording);
    m_startField->setVisible(recording);
    m_startField->setText(m_facts && m_facts->start.isValid()
                              ? localDateTimeText(m_facts->start, locale())
                              : QString());
    m_view->setClock(clock());
}

SampleClock ChartPane::clock() const {
    if (!m_facts) return {};
    SampleClock clock = m_facts->clock();
    clock.interval = m_interval;
    return clock;
}

void ChartPane::settleStart() {
    if (m_recordingPath.isEmpty()) return;
    const QString typed = m_startField->text();
    const QDateTime before = m_facts ? m_facts->start : QDateTime();
    const std::optional<QDateTime> start = parseLocalDateTime(typed, locale());
    if (typed.trimmed().isEmpty() && !before.isValid()) return;
    if (!start) {
        const QString sentence =
            QStringLiteral("« %1 » n'est pas une date et une heure (%2) : le début reste %3.")
                .arg(typed,
                     localDateTimeText(QDateTime(QDate(2026, 12, 6), QTime(14, 3, 12)), locale()),
                     before.isValid() ? localDateTimeText(before, locale())
                                      : QStringLiteral("inconnu"));
        sayAt(m_startField, sentence);
        emit said(sentence);
        showRecordingControls();
        return;
    }
    if (*start == before) return;
    if (!m_facts) {
        // A recording without facts file gets one: what the window uses for it now.
        m_facts = RecordingFacts();
        m_facts->channels = m_channels;
        m_facts->interval = m_interval;
    }
    m_facts->start = *start;
    m_facts->startOrigin = StartOrigin::Corrected;
    saveFacts();
    showRecordingControls();
}

void ChartPane::saveFacts() {
    if (!m_facts || m_recordingPath.isEmpty()) return;
    QString problem;
    if (!m_facts->save(factsPath(m_recordingPath), &problem))
        emit said(
            QStringLiteral("Informations de l'enregistrement non enregistrées : %1").arg(problem));
}

void ChartPane::editChannels() {
    auto *dialog = new ChannelsDialog(m_channels, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        setChannels(dialog->channels());
        saveFacts(); // an open recording's facts take them too
        Profile profile(settingsPath());
        QString problem;
        if (!m_channels.save(profile, &problem))
            m_desktop->warn(this, QStringLiteral("Voies"),
                            QStringLiteral("Les réglages des voies valent jusqu'à la fermeture "
                                           "mais n'ont pas pu être enregistrés. %1")
                                .arg(problem));
    });
    dialog->open();
}

// A row for each visible channel. A text is set only when it changes: during a live reading the
// figures change twice a second, and the table keeps its height, so the chart above it is not
// laid out again.
void ChartPane::showStatistics() {
    std::array<bool, kChannels> shown{};
    const auto rows = chart::statisticsRows(m_series, m_view->options());
    m_showsOutside = chart::showsOutside(rows);
    for (const chart::StatisticsRow &row : rows) {
        shown[row.channel] = true;
        const auto cells = row.cells();
        for (int column = 0; column < chart::kStatisticsColumns; ++column)
            if (QLabel *cell = m_statisticsRows[row.channel][column + 1];
                cell->text() != cells[column])
                cell->setText(cells[column]);
    }
    m_outsideHeader->setVisible(m_showsOutside);
    for (int c = 0; c < kChannels; ++c)
        for (int column = 0; column <= chart::kStatisticsColumns; ++column)
            m_statisticsRows[c][column]->setVisible(
                shown[c] && (column != chart::kOutsideColumn + 1 || m_showsOutside));
}

ChartPane::ShownSamples ChartPane::shownSamples() const {
    const auto [first, last] = m_view->options().visibleSamples(m_series.size());
    return {m_series.lines(first, last), m_series.dropped() + first,
            std::max<qint64>(last - first + 1, 0)};
}

QString ChartPane::statisticsText() const {
    QStringList rows;
    for (int c = 0; c < kChannels; ++c) {
        if (m_view->isChannelHidden(c)) continue;
        QStringList cells;
        for (int column = 1; column <= chart::kStatisticsColumns; ++column)
            if (column != chart::kOutsideColumn + 1 || m_showsOutside)
                cells << m_statisticsRows[c][column]->text();
        rows << cells.join(QLatin1Char('\t'));
    }
    return rows.join(QLatin1Char('\n'));
}

ChartPane::~ChartPane() {
    silenceChildren(*this);
    delete m_view; // before the series it shows
}

void ChartPane::sayOnChart(const QString &sentence) {
    m_chartNote->setText(sentence);
    m_chartNote->setVisible(!sentence.isEmpty());
}

void ChartPane::showText(const QByteArray &text) {
    m_chartNote->hide();
    m_live = false;
    m_redraw.stop();
    m_series.setCapacity(0);
    m_series.setText(text);
    m_view->resetZoom(); // which draws the new samples
}

void ChartPane::appendChunk(const QByteArray &chunk) {
    if (m_live) {
        m_live = false;
        m_series.clear();
        m_series.setCapacity(0);
    }
    m_series.append(chunk);
    redrawSoon();
}

void ChartPane::liveChunk(const QByteArray &chunk) {
    if (!m_live) {
        m_live = true;
        m_title = QStringLiteral("Lecture en temps réel"); // what the chart now draws
        m_series.clear();
        m_series.setCapacity(m_liveCapacity);
        m_view->resetZoom();
    }
    m_series.append(chunk);
    redrawSoon();
}

void ChartPane::setLiveCapacity(int samples) {
    m_liveCapacity = std::max(samples, 1);
    if (m_live) m_series.setCapacity(m_liveCapacity);
    redrawSoon();
}

void ChartPane::setInterval(double seconds) {
    m_settingsInterval = seconds > 0 ? seconds : 0;
    showInterval(seconds);
}

void ChartPane::showInterval(double seconds) {
    m_interval = seconds > 0 ? seconds : 0;
    QLocale plain; // without group separators, which the field refuses
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    m_intervalField->setText(m_interval > 0 ? plain.toString(m_interval, 'g', 12) : QString());
    m_view->setInterval(m_interval);
    m_view->setClock(clock());
}

void ChartPane::setProgrammedInterval(double seconds, const QString &origin) {
    setInterval(seconds);
    m_intervalField->setToolTip(origin);
}

int ChartPane::boardSwitch() const {
    return m_switch->value();
}

void ChartPane::setBoardSwitch(int boardSwitch) {
    m_switch->setValue(boardSwitch);
}

bool ChartPane::keepsLive() const {
    return m_keepLive->isChecked();
}

void ChartPane::intervalEdited(const QString &text) {
    m_intervalField->setToolTip(kIntervalTip); // the user's own value
    const std::optional<double> seconds = parseInterval(text);
    // A number half typed ("0,") keeps the previous interval until it reads as one; text that
    // can never become one is said at once, beside the field.
    if (!seconds && !mayBecomeInterval(text))
        sayAt(m_intervalField,
              QStringLiteral("« %1 » n'est pas un intervalle en secondes (nombre supérieur à 0)")
                  .arg(text));
    if (!seconds || *seconds == m_interval) return;
    m_interval = m_settingsInterval = *seconds;
    m_view->setInterval(m_interval);
    if (m_facts) {
        m_facts->interval = m_interval;
        saveFacts();
    }
    m_view->setClock(clock());
    emit intervalChanged(m_interval);
}

void ChartPane::settleInterval() {
    const QString typed = m_intervalField->text();
    if (parseInterval(typed)) return;
    showInterval(m_interval);
    emit said(
        QStringLiteral("« %1 » n'est pas un intervalle en secondes (nombre supérieur à 0) : "
                       "%2.")
            .arg(typed, m_interval > 0
                            ? QStringLiteral("l'intervalle reste %1 s").arg(m_intervalField->text())
                            : QStringLiteral("aucun intervalle n'est utilisé")));
}

void ChartPane::redrawSoon() {
    if (!m_redraw.isActive()) m_redraw.start();
}

QCoro::Task<bool> ChartPane::exportImage() {
    const QSize shown = m_view->size();
    const QImage image = chart::renderWithStatistics(
        m_series,
        shown.width() >= kSmallestImage.width() && shown.height() >= kSmallestImage.height()
            ? shown
            : chart::kDefaultImageSize,
        m_view->options(), m_title);
    const QString path =
        co_await m_desktop->chooseImageLocation(this, QDir(m_directory).filePath(kImageName));
    if (path.isEmpty()) co_return false;
    QString problem;
    if (!chart::savePng(image, path, &problem)) {
        m_desktop->warn(this, kExportTitle, problem);
        co_return false;
    }
    emit said(QStringLiteral("Image enregistrée dans %1").arg(filereason::shownPath(path)));
    co_return true;
}

QCoro::Task<bool> ChartPane::exportReport() {
    const QString base = m_title.isEmpty()
                             ? QStringLiteral("rapport")
                             : QFileInfo(m_title).completeBaseName() + QStringLiteral("_rapport");
    const QString path = co_await m_desktop->chooseReportLocation(
        this, QDir(m_directory).filePath(base + QStringLiteral(".pdf")));
    if (path.isEmpty()) co_return false;
    chart::ReportContent content;
    content.name = m_title;
    if (m_facts) content.facts = *m_facts;
    content.facts.interval = m_interval;
    content.facts.channels = m_channels;
    content.series = &m_series;
    content.options = m_view->options();
    content.version = QStringLiteral(VOLTERNE_VERSION);
    content.moment = wholeSecond(QDateTime::currentDateTime());
    content.locale = locale();
    content.locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString problem;
    if (!chart::writeReport(path, content, &problem)) {
        m_desktop->warn(this, QStringLiteral("Rapport PDF"), problem);
        co_return false;
    }
    emit said(QStringLiteral("Rapport enregistré dans %1").arg(filereason::shownPath(path)));
    co_return true;
}
