// What the window does with recordings: open one into the receive area, convert one into the
// spreadsheet file, hand the receive area to the desktop, lay out or clear the latest chunk, and
// find another place for a download that could not be written.
#include "app/recordingactions.h"

#include "app/desktop.h"
#include "data/dump.h"
#include "data/filereason.h"
#include "data/measures.h"
#include "data/outputfile.h"
#include "data/recording.h"
#include "data/spreadsheet.h"
#include "link/indicators.h"
#include "link/receivepath.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr char kSpreadsheetName[] = "fichier_excel.csv";
constexpr char kTempName[] = "temp.txt";
constexpr char kConversionNote[] = "Conversion :";
constexpr char kOpenNote[] = "Ouvrir :";

// A text area lays a line out whole: a line of tens of megabytes (no recording has one) would
// freeze the window for seconds, so such a file is not shown.
constexpr qsizetype kLongestShownLine = 1 << 20;
} // namespace

RecordingActions::RecordingActions(RecordingParts parts, QObject *parent)
    : QObject(parent), m_desktop(*parts.desktop), m_directory(std::move(parts.directory)),
      m_locale(std::move(parts.locale)), m_receive(*parts.receive), m_indicators(*parts.indicators),
      m_dialogParent(parts.dialogParent), m_tearingDown(std::move(parts.tearingDown)) {
}

QCoro::Task<> RecordingActions::open() {
    const QString path = co_await m_desktop.chooseRecording(
        m_dialogParent, m_openedFrom.isEmpty() ? m_directory : m_openedFrom);
    if (!path.isEmpty() && open(path)) m_openedFrom = QFileInfo(path).absolutePath();
}

bool RecordingActions::open(const QString &path) {
    if (m_receive.AppendFlag) {
        // A download or read-out is collecting into Text1: opening a file there would lose it.
        m_desktop.warn(m_dialogParent, QStringLiteral("Ouvrir"),
                       QStringLiteral("Un transfert est en cours : attendez sa fin avant "
                                      "d'ouvrir un enregistrement."));
        return false;
    }
    if (m_receive.ReplaceFlag) {
        // The next chunk of the live display would replace the recording at once.
        m_desktop.warn(m_dialogParent, QStringLiteral("Ouvrir"),
                       QStringLiteral("La lecture en temps réel est en cours : arrêtez-la "
                                      "(clic droit sur « Lecture en temps réel ») avant "
                                      "d'ouvrir un enregistrement."));
        return false;
    }
    QByteArray text;
    QString problem;
    RecordingShape shape;
    if (!loadRecording(path, &text, &problem, &shape)) {
        m_desktop.warn(m_dialogParent, QStringLiteral("Ouvrir"), problem);
        return false;
    }
    if (const qsizetype longest = longestLine(text); longest > kLongestShownLine) {
        m_desktop.warn(
            m_dialogParent, QStringLiteral("Ouvrir"),
            QStringLiteral("« %1 » contient une ligne de %2 octets, trop longue pour être affichée "
                           "(au plus %3 octets par ligne) : ce n'est pas un enregistrement de la "
                           "platine. « Conversion Fichier » peut tout de même le convertir.")
                .arg(QFileInfo(path).fileName())
                .arg(longest)
                .arg(kLongestShownLine));
        return false;
    }
    m_receive.setReceiveBuffer({});
    emit captionChanged(recordingCaption(QFileInfo(path), m_locale));
    emit recordingShown(QFileInfo(path).fileName());
    m_receive.setReceiveBuffer(text);
    emit recordingOpened(path);
    if (shape.damage != RecordingDamage::None)
        m_indicators.setStatus(QStringLiteral("%1 « %2 » : %3.")
                                   .arg(QLatin1String(kOpenNote), QFileInfo(path).fileName(),
                                        damageReason(shape.damage)));
    else if (!text.isEmpty() && !shape.holdsSamples)
        m_indicators.setStatus(QStringLiteral("%1 « %2 » : il ne contient aucune ligne de mesures "
                                              "(« 0123 0456 0789 . ») : ce n'est pas un "
                                              "enregistrement de la platine.")
                                   .arg(QLatin1String(kOpenNote), QFileInfo(path).fileName()));
    else if (m_indicators.status().startsWith(QLatin1String(kOpenNote)))
        m_indicators.setStatus(indicator_texts::kNothing);
    return true;
}

QCoro::Task<> RecordingActions::convert() {
    emit converting(true);
    const QString output = QDir(m_directory).filePath(kSpreadsheetName);
    const QString path = co_await m_desktop.chooseRecording(m_dialogParent, m_directory);
    if (path.isEmpty()) co_return; // the button stays light cyan until a later conversion ends
    emit captionChanged(QFileInfo(path).fileName());

    const ConversionReport report = convertRecordingFile(path, output);
    emit converting(false);
    if (!report.ok()) {
        m_desktop.warn(m_dialogParent, QStringLiteral("Conversion Fichier"), report.error);
        co_return;
    }
    // Where the spreadsheet is, then what to know of it.
    QString note = QStringLiteral("%1 %2 enregistré dans %3.")
                       .arg(QLatin1String(kConversionNote), QLatin1String(kSpreadsheetName),
                            filereason::shownPath(output));
    if (report.damage != RecordingDamage::None)
        note += QStringLiteral(" « %1 » : %2.")
                    .arg(QFileInfo(path).fileName(), damageReason(report.damage));
    if (report.invalidFields > 0) note += QStringLiteral(" %1.").arg(invalidFieldsReason(report));
    if (!m_desktop.openWithAssociatedProgram(output))
        note += QStringLiteral(" Aucun tableur n'a été trouvé pour l'ouvrir : ouvrez-le avec "
                               "votre tableur (séparateur « ; »).");
    m_indicators.setStatus(note);
}

void RecordingActions::handOver() {
    const QString path = QDir(m_directory).filePath(kTempName);
    QString problem;
    if (!writeRecording(path, m_receive.receiveBuffer(), &problem)) {
        m_desktop.warn(m_dialogParent, QStringLiteral("temp.txt"), problem);
        return;
    }
    if (!m_desktop.openWithAssociatedProgram(path))
        m_indicators.setStatus(QStringLiteral("Aucun programme n'a été trouvé pour ouvrir %1.")
                                   .arg(filereason::shownPath(path)));
}

void RecordingActions::layOutLatestChunk() {
    // While a download or read-out collects, Text2 feeds the recording: leave it alone.
    if (m_receive.AppendFlag) return;
    const QByteArray old = m_receive.latestChunk();
    m_receive.setLatestChunk({});
    m_receive.setLatestChunk(dumpLayout(old));
}

void RecordingActions::clearLatestChunk() {
    m_receive.setLatestChunk({});
}

QCoro::Task<QString> RecordingActions::saveElsewhere(QString path, QByteArray content,
                                                     QString reason) {
    // The downloaded data stays in Text1 whatever happens; offer another place until it is
    // written or the user gives up. Not while the window goes away: nobody would answer.
    if (m_tearingDown && m_tearingDown()) co_return QString();
    QString problem = reason;
    QString suggestion = path;
    for (;;) {
        const QString chosen = co_await m_desktop.chooseSaveLocation(
            m_dialogParent, suggestion,
            QStringLiteral("Enregistrement impossible (%1) : où enregistrer le téléchargement ?")
                .arg(problem));
        if (chosen.isEmpty()) {
            m_indicators.setStatus(QStringLiteral("Transfert non enregistré (%1) : les données "
                                                  "restent affichées.")
                                       .arg(problem));
            co_return QString();
        }
        if (writeRecording(chosen, content, &problem)) co_return chosen;
        suggestion = chosen;
    }
}

QCoro::Task<> RecordingActions::exportMeasures(ChannelSettings channels, double interval,
                                               QByteArray lines, qint64 firstRow, qint64 rows,
                                               SampleClock clock) {
    const QString title = QStringLiteral("Exporter les mesures");
    const QString path = co_await m_desktop.chooseMeasuresLocation(
        m_dialogParent, QDir(m_directory).filePath(QStringLiteral("mesures.csv")));
    if (path.isEmpty()) co_return;
    QBuffer recording;
    recording.setData(lines);
    recording.open(QIODevice::ReadOnly);
    OutputFile out(path);
    if (!out.open()) {
        m_desktop.warn(m_dialogParent, title, filereason::cannotCreate(path, out.error()));
        co_return;
    }
    writeMeasures(recording, out.device(), {channels, interval, m_locale, firstRow, clock});
    if (!out.commit()) {
        m_desktop.warn(m_dialogParent, title, filereason::cannotWrite(path, out.error()));
        co_return;
    }
    m_indicators.setStatus(QStringLiteral("Mesures enregistrées dans %1 : %2 %3")
                               .arg(filereason::shownPath(path))
                               .arg(rows)
                               .arg(rows > 1 ? QStringLiteral("lignes") : QStringLiteral("ligne")));
}
