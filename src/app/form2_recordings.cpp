// The window's handlers for recordings: open, convert, hand to the desktop, dump and clear.
#include "app/form2.h"

#include "app/byteview.h"
#include "app/desktop.h"
#include "data/dump.h"
#include "data/filereason.h"
#include "data/recording.h"
#include "data/spreadsheet.h"
#include "link/colours.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr char kSpreadsheetName[] = "fichier_excel.csv";
constexpr char kTempName[] = "temp.txt";
constexpr char kConversionNote[] = "Conversion :";
constexpr char kOpenNote[] = "Ouvrir :";
// A text area lays a line out whole: a line of tens of megabytes (no recording has one) would
// freeze the window for seconds, so such a file is not shown.
constexpr qsizetype kLongestShownLine = 1 << 20;
} // namespace

void Form2::Command4_Click() {
    openRecording();
}

QCoro::Task<> Form2::openRecording() {
    const QString path = co_await m_parts.desktop->chooseRecording(this, m_parts.programDirectory);
    if (path.isEmpty()) co_return;
    if (m_receive.AppendFlag == 1) {
        // A download or read-out is collecting into Text1: opening a file there would lose it.
        m_parts.desktop->warn(this, QStringLiteral("Ouvrir"),
                              QStringLiteral("Un transfert est en cours : attendez sa fin avant "
                                             "d'ouvrir un enregistrement."));
        co_return;
    }
    if (m_receive.ReplaceFlag == 1) {
        // The next chunk of the live display would replace the recording at once.
        m_parts.desktop->warn(this, QStringLiteral("Ouvrir"),
                              QStringLiteral("La lecture en temps réel est en cours : arrêtez-la "
                                             "(clic droit sur « Lecture en temps réel ») avant "
                                             "d'ouvrir un enregistrement."));
        co_return;
    }
    QByteArray text;
    QString problem;
    RecordingDamage damage = RecordingDamage::None;
    if (!loadRecording(path, &text, &problem, &damage)) {
        m_parts.desktop->warn(this, QStringLiteral("Ouvrir"), problem);
        co_return;
    }
    if (const qsizetype longest = longestLine(text); longest > kLongestShownLine) {
        m_parts.desktop->warn(
            this, QStringLiteral("Ouvrir"),
            QStringLiteral("« %1 » contient une ligne de %2 octets, trop longue pour être affichée "
                           "(au plus %3 octets par ligne) : ce n'est pas un enregistrement de la "
                           "platine. « Conversion Fichier » peut tout de même le convertir.")
                .arg(QFileInfo(path).fileName())
                .arg(longest)
                .arg(kLongestShownLine));
        co_return;
    }
    m_receive.setReceiveBuffer({});
    nom_fichier->setText(recordingCaption(QFileInfo(path), m_parts.locale));
    m_receive.setReceiveBuffer(text);
    if (damage != RecordingDamage::None)
        m_indicators.setStatus(
            QStringLiteral("%1 « %2 » : %3.")
                .arg(QLatin1String(kOpenNote), QFileInfo(path).fileName(), damageReason(damage)));
    else if (m_indicators.status().startsWith(QLatin1String(kOpenNote)))
        m_indicators.setStatus(QStringLiteral("..."));
}

void Form2::Command2_Click() {
    convertRecording();
}

QCoro::Task<> Form2::convertRecording() {
    setBackColour(Command2, colours::kLightCyan);
    const QString output = QDir(m_parts.programDirectory).filePath(kSpreadsheetName);
    const QString path = co_await m_parts.desktop->chooseRecording(this, m_parts.programDirectory);
    if (path.isEmpty()) co_return; // the button stays light cyan until a later conversion ends
    nom_fichier->setText(QFileInfo(path).fileName());

    const ConversionReport report = convertRecordingFile(path, output);
    setBackColour(Command2, colours::kButtonFace);
    if (!report.ok()) {
        m_parts.desktop->warn(this, QStringLiteral("Conversion Fichier"), report.error);
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
    if (!m_parts.desktop->openWithAssociatedProgram(output))
        note += QStringLiteral(" Aucun tableur n'a été trouvé pour l'ouvrir : ouvrez-le avec "
                               "votre tableur (séparateur « ; »).");
    m_indicators.setStatus(note);
}

void Form2::Text1_DblClick() {
    const QString path = QDir(m_parts.programDirectory).filePath(kTempName);
    QString problem;
    if (!writeRecording(path, m_receive.receiveBuffer(), &problem)) {
        m_parts.desktop->warn(this, QStringLiteral("temp.txt"), problem);
        return;
    }
    if (!m_parts.desktop->openWithAssociatedProgram(path))
        m_indicators.setStatus(
            QStringLiteral("Aucun programme n'a été trouvé pour ouvrir %1.")
                .arg(filereason::shownPath(path)));
}

void Form2::Text2_MouseDown(Qt::MouseButton button) {
    // While a download or read-out collects, Text2 feeds the recording: leave it alone.
    if (button != Qt::RightButton || m_receive.AppendFlag == 1) return;
    const QByteArray old = m_receive.latestChunk();
    m_receive.setLatestChunk({});
    m_receive.setLatestChunk(dumpLayout(old));
}

void Form2::Text2_DblClick() {
    m_receive.setLatestChunk({});
}

QCoro::Task<QString> Form2::saveElsewhere(QString path, QByteArray content, QString reason) {
    // The downloaded data stays in Text1 whatever happens; offer another place until it is
    // written or the user gives up. Not while the window goes away: nobody would answer.
    if (m_tearingDown) co_return QString();
    QString problem = reason;
    QString suggestion = path;
    for (;;) {
        const QString chosen = co_await m_parts.desktop->chooseSaveLocation(
            this, suggestion,
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
