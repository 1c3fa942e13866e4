#pragma once

#include "link/colours.h"

#include <QObject>
#include <QString>
#include <QTimer>

// The texts the link status and the status line share: nothing to say yet, no board, and the
// refusal of a second operation while one runs.
namespace indicator_texts {
inline const QString kNothing = QStringLiteral("...");
inline const QString kDisconnected = QStringLiteral("Platine Deconnectée");
inline const QString kOperationRunning = QStringLiteral("Une opération est déjà en cours");
} // namespace indicator_texts

// What the window shows of the link and of the running operation, kept apart from the widgets so
// that the board dialogue can be driven and checked without a screen: the link status (Label14:
// caption, text colour, visibility, blinking by Timer3), the status line (Label1), the spinner
// (Label4) and the elapsed time (Label5). The window mirrors every change onto its labels.
class Indicators : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kBlinkInterval{500};

    explicit Indicators(QObject *parent = nullptr);

    QString linkText() const { return m_linkText; }
    quint32 linkColour() const { return m_linkColour; }
    bool linkVisible() const { return m_linkVisible; }
    QString status() const { return m_status; }
    QString spinner() const { return m_spinner; }
    QString elapsed() const { return m_elapsed; }

    void setLink(const QString &text, quint32 colour);
    void setLinkText(const QString &text);
    void setLinkVisible(bool visible);
    void setStatus(const QString &text);
    void setSpinner(const QString &text);
    void setElapsed(const QString &text);

    // Timer3: blinks the link status while it runs.
    QTimer &timer3() { return m_timer3; }
    void Timer3_Timer() { setLinkVisible(!m_linkVisible); }

signals:
    void changed();

private:
    QTimer m_timer3;
    QString m_linkText = indicator_texts::kDisconnected;
    quint32 m_linkColour = colours::kBlue;
    bool m_linkVisible = true;
    QString m_status = indicator_texts::kNothing;
    QString m_spinner = QStringLiteral("/");
    QString m_elapsed = QStringLiteral("....");
};
