#include "app/desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>
#include <qcoro/qcorosignal.h>

bool SystemDesktop::openWithAssociatedProgram(const QString &path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

namespace {
// Shows a file dialog without a nested event loop: the caller's coroutine waits for it instead.
QCoro::Task<QString> runDialog(QFileDialog *dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->open();
    const int result = co_await qCoro(dialog, &QFileDialog::finished);
    const QStringList chosen = dialog->selectedFiles();
    dialog->deleteLater();
    if (result != QDialog::Accepted || chosen.isEmpty()) co_return QString();
    co_return chosen.first();
}

QMessageBox *showBox(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                     const QString &text) {
    auto *box = new QMessageBox(icon, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
    return box;
}
} // namespace

QCoro::Task<QString> SystemDesktop::chooseRecording(QWidget *parent, const QString &directory) {
    auto *dialog = new QFileDialog(parent, QString(), directory);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilters({QStringLiteral("Enregistrements (transfert*.txt temps_reel_*.txt)"),
                            QStringLiteral("Téléchargements (transfert*.txt)"),
                            QStringLiteral("Lectures en temps réel (temps_reel_*.txt)"),
                            QStringLiteral("Tous les fichiers (*)")});
    co_return co_await runDialog(dialog);
}

// A save dialog titled `title`, proposing `suggestedPath`; with a `filter` and its `suffix` when
// given.
QFileDialog *saveDialog(QWidget *parent, const QString &title, const QString &suggestedPath,
                        const QString &filter = {}, const QString &suffix = {}) {
    auto *dialog = new QFileDialog(parent, title);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (!filter.isEmpty()) dialog->setNameFilters({filter});
    if (!suffix.isEmpty()) dialog->setDefaultSuffix(suffix);
    dialog->selectFile(suggestedPath);
    return dialog;
}

QCoro::Task<QString> SystemDesktop::chooseSaveLocation(QWidget *parent,
                                                       const QString &suggestedPath,
                                                       const QString &reason) {
    co_return co_await runDialog(saveDialog(parent, reason, suggestedPath));
}

QCoro::Task<QString> SystemDesktop::chooseImageLocation(QWidget *parent,
                                                        const QString &suggestedPath) {
    co_return co_await runDialog(saveDialog(parent, QStringLiteral("Exporter l'image"),
                                            suggestedPath, QStringLiteral("Images PNG (*.png)"),
                                            QStringLiteral("png")));
}

QCoro::Task<QString> SystemDesktop::chooseMeasuresLocation(QWidget *parent,
                                                           const QString &suggestedPath) {
    co_return co_await runDialog(saveDialog(parent, QStringLiteral("Exporter les mesures"),
                                            suggestedPath, QStringLiteral("Tableur (*.csv)"),
                                            QStringLiteral("csv")));
}

QCoro::Task<QString> SystemDesktop::chooseReportLocation(QWidget *parent,
                                                         const QString &suggestedPath) {
    co_return co_await runDialog(saveDialog(parent, QStringLiteral("Rapport PDF"), suggestedPath,
                                            QStringLiteral("Documents PDF (*.pdf)"),
                                            QStringLiteral("pdf")));
}

void SystemDesktop::inform(QWidget *parent, const QString &title, const QString &text,
                           const QString &details) {
    QMessageBox *box = showBox(parent, QMessageBox::Information, title, text);
    box->setInformativeText(details);
}

void SystemDesktop::warn(QWidget *parent, const QString &title, const QString &text) {
    showBox(parent, QMessageBox::Warning, title, text);
}

QCoro::Task<> SystemDesktop::warnAndWait(QWidget *parent, const QString &title,
                                         const QString &text) {
    QMessageBox *box = showBox(parent, QMessageBox::Warning, title, text);
    co_await qCoro(box, &QMessageBox::finished);
}
