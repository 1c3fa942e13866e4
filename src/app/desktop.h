#pragma once

#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

class QWidget;

// What the window asks of the desktop: file dialogs, message boxes and opening a file with its
// associated program. The program uses SystemDesktop; tests hand in a stand-in that answers at
// once and records what was asked.
class Desktop {
public:
    virtual ~Desktop() = default;

    // Opens `path` with the desktop's associated program, without waiting for it. False when the
    // desktop found no program for it.
    virtual bool openWithAssociatedProgram(const QString &path) = 0;
    // Asks for an existing recording, starting in `directory` and showing the downloads and the
    // kept real-time readings (or any file); an empty result means the user cancelled.
    virtual QCoro::Task<QString> chooseRecording(QWidget *parent, const QString &directory) = 0;
    // Asks where to save data that could not be written to `suggestedPath`; empty on cancel.
    virtual QCoro::Task<QString> chooseSaveLocation(QWidget *parent, const QString &suggestedPath,
                                                    const QString &reason) = 0;
    // Asks where to save a PNG image, proposing `suggestedPath`; empty on cancel.
    virtual QCoro::Task<QString> chooseImageLocation(QWidget *parent,
                                                     const QString &suggestedPath) = 0;
    // Asks where to save a spreadsheet of measures, proposing `suggestedPath`; empty on cancel.
    virtual QCoro::Task<QString> chooseMeasuresLocation(QWidget *parent,
                                                        const QString &suggestedPath) = 0;
    // Asks where to save a PDF report, proposing `suggestedPath`; empty on cancel.
    virtual QCoro::Task<QString> chooseReportLocation(QWidget *parent,
                                                      const QString &suggestedPath) = 0;
    // An informative message box (the About box, a problem the user must know of), with
    // `details` in smaller print under the message when given.
    virtual void inform(QWidget *parent, const QString &title, const QString &text,
                        const QString &details = {}) = 0;
    virtual void warn(QWidget *parent, const QString &title, const QString &text) = 0;
    // A warning the caller waits for: it returns once the user has closed the box.
    virtual QCoro::Task<> warnAndWait(QWidget *parent, const QString &title,
                                      const QString &text) = 0;
};

class SystemDesktop final : public Desktop {
public:
    bool openWithAssociatedProgram(const QString &path) override;
    QCoro::Task<QString> chooseRecording(QWidget *parent, const QString &directory) override;
    QCoro::Task<QString> chooseSaveLocation(QWidget *parent, const QString &suggestedPath,
                                            const QString &reason) override;
    QCoro::Task<QString> chooseImageLocation(QWidget *parent,
                                             const QString &suggestedPath) override;
    QCoro::Task<QString> chooseMeasuresLocation(QWidget *parent,
                                                const QString &suggestedPath) override;
    QCoro::Task<QString> chooseReportLocation(QWidget *parent,
                                              const QString &suggestedPath) override;
    void inform(QWidget *parent, const QString &title, const QString &text,
                const QString &details = {}) override;
    void warn(QWidget *parent, const QString &title, const QString &text) override;
    QCoro::Task<> warnAndWait(QWidget *parent, const QString &title, const QString &text) override;
};
