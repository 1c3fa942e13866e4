#pragma once

#include "app/desktop.h"

#include <QStringList>

// Stands in for the desktop: answers file dialogs with prepared paths and records what the
// window asked of it.
class FakeDesktop final : public Desktop {
public:
    QString nextRecording;     // answer of the next file-open dialog; empty = cancelled
    QString nextSaveLocation;  // answer of the next save dialog; empty = cancelled
    QString nextImageLocation; // answer of the next image save dialog; empty = cancelled
    QStringList opened;        // files handed to their associated program
    QStringList messages;      // titles and texts of message boxes
    int saveQuestions = 0;
    QString lastSaveSuggestion; // path proposed by the last save dialog
    QString lastSaveReason;     // why the last save dialog was shown
    QString lastDetails;        // the small print of the last informative box
    int imageQuestions = 0;
    QString lastImageSuggestion; // path proposed by the last image save dialog

    bool hasPrograms = true; // the desktop has a program for every file
    bool openWithAssociatedProgram(const QString &path) override {
        opened << path;
        return hasPrograms;
    }
    QString lastRecordingFolder; // where the last recording dialog started
    QCoro::Task<QString> chooseRecording(QWidget *, const QString &directory) override {
        lastRecordingFolder = directory;
        co_return std::exchange(nextRecording, QString());
    }
    QCoro::Task<QString> chooseSaveLocation(QWidget *, const QString &suggestedPath,
                                            const QString &reason) override {
        ++saveQuestions;
        lastSaveSuggestion = suggestedPath;
        lastSaveReason = reason;
        co_return std::exchange(nextSaveLocation, QString());
    }
    QString nextMeasuresLocation; // answer of the next measures save dialog; empty = cancelled
    QCoro::Task<QString> chooseMeasuresLocation(QWidget *, const QString &) override {
        co_return std::exchange(nextMeasuresLocation, QString());
    }
    QString nextReportLocation; // answer of the next report save dialog; empty = cancelled
    QCoro::Task<QString> chooseReportLocation(QWidget *, const QString &) override {
        co_return std::exchange(nextReportLocation, QString());
    }
    QCoro::Task<QString> chooseImageLocation(QWidget *, const QString &suggestedPath) override {
        ++imageQuestions;
        lastImageSuggestion = suggestedPath;
        co_return std::exchange(nextImageLocation, QString());
    }
    void inform(QWidget *, const QString &title, const QString &text,
                const QString &details = {}) override {
        messages << title + QLatin1Char('|') + text;
        lastDetails = details;
    }
    void warn(QWidget *, const QString &title, const QString &text) override {
        messages << title + QLatin1Char('|') + text;
    }
    QCoro::Task<> warnAndWait(QWidget *parent, const QString &title, const QString &text) override {
        warn(parent, title, text);
        co_return;
    }
};
