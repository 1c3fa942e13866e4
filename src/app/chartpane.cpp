#include "app/chartpane.h"

#include "app/chartview.h"
#include "app/desktop.h"
#include "data/chartsettings.h"
#include "data/filereason.h"
#include "data/period.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr char kImageName[] = "graphique.png";
const QString kExportTitle = QStringLiteral("Exporter l'image");
// An image of a hidden or tiny plot would say little: the export then uses this size.
constexpr QSize kSmallestImage(320, 200);
constexpr QSize kDefaultImage(1200, 600);
const QString kIntervalTip = QStringLiteral("Intervalle d'échantillonnage de la platine, en "
                                            "secondes ; vide : numéros d'échantillons");
} // namespace

ChartPane::ChartPane(Desktop *desktop, QString imageDirectory, QWidget *parent)
    : QWidget(parent), m_desktop(desktop), m_imageDirectory(std::move(imageDirectory)) {
    setObjectName(QStringLiteral("graphique"));
    setAccessibleName(QStringLiteral("Graphique"));

    m_view = new ChartView(m_series, this);
    m_intervalField = new QLineEdit(this);
    m_intervalField->setAccessibleName(QStringLiteral("Intervalle (s)"));
    m_intervalField->setToolTip(kIntervalTip);
    m_intervalField->setMaximumWidth(90);
    auto *label = new QLabel(QStringLiteral("Intervalle (s)"), this);
    label->setBuddy(m_intervalField);
    m_export = new QPushButton(QStringLiteral("Exporter l'image…"), this);
    m_switch = new QSpinBox(this);
    m_switch->setObjectName(QStringLiteral("commutateur"));
    m_switch->setRange(kSwitchMin, kSwitchMax);
    m_switch->setAccessibleName(QStringLiteral("Commutateur S"));
    m_switch->setToolTip(QStringLiteral("Commutateur S de la platine (1 à 7) : après une "
                                        "programmation confirmée, l'intervalle vaut période × "
                                        "0,5 s × S"));
    auto *switchLabel = new QLabel(QStringLiteral("Commutateur S"), this);
    switchLabel->setBuddy(m_switch);
    m_keepLive = new QCheckBox(QStringLiteral("Enregistrer la lecture"), this);
    m_keepLive->setObjectName(QStringLiteral("enregistrer_lecture"));
    m_keepLive->setToolTip(QStringLiteral("Chaque bloc reçu en lecture en temps réel est ajouté "
                                          "à temps_reel_<date>_<heure>.txt"));

    auto *controls = new QHBoxLayout;
    controls->addWidget(label);
    controls->addWidget(m_intervalField);
    controls->addStretch(1);
    controls->addWidget(m_export);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);
    layout->addLayout(controls);
    // A row of their own, so that the window stays as narrow as before.
    auto *liveControls = new QHBoxLayout;
    liveControls->addWidget(switchLabel);
    liveControls->addWidget(m_switch);
    liveControls->addWidget(m_keepLive);
    liveControls->addStretch(1);
    layout->addLayout(liveControls);

    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawPause);
    connect(&m_redraw, &QTimer::timeout, m_view, &ChartView::seriesChanged);
    connect(m_intervalField, &QLineEdit::textEdited, this, &ChartPane::intervalEdited);
    connect(m_intervalField, &QLineEdit::editingFinished, this, &ChartPane::settleInterval);
    connect(m_export, &QPushButton::clicked, this, [this] { exportImage(); });
}

ChartPane::~ChartPane() {
    delete m_view; // before the series it shows
}

void ChartPane::showText(const QByteArray &text) {
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
    m_interval = seconds > 0 ? seconds : 0;
    m_intervalField->setText(m_interval > 0 ? QLocale().toString(m_interval, 'g', 12) : QString());
    m_view->setInterval(m_interval);
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
    // A number half typed ("0," or "-") keeps the previous interval until it reads as one.
    if (!seconds || *seconds == m_interval) return;
    m_interval = *seconds;
    m_view->setInterval(m_interval);
    emit intervalChanged(m_interval);
}

void ChartPane::settleInterval() {
    const QString typed = m_intervalField->text();
    if (parseInterval(typed)) return;
    setInterval(m_interval);
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
    const QImage image = m_view->image(shown.width() >= kSmallestImage.width() &&
                                               shown.height() >= kSmallestImage.height()
                                           ? shown
                                           : kDefaultImage);
    const QString path =
        co_await m_desktop->chooseImageLocation(this, QDir(m_imageDirectory).filePath(kImageName));
    if (path.isEmpty()) co_return false;
    QString problem;
    if (!chart::savePng(image, path, &problem)) {
        m_desktop->warn(this, kExportTitle, problem);
        co_return false;
    }
    emit said(QStringLiteral("Image enregistrée dans %1").arg(filereason::shownPath(path)));
    co_return true;
}
