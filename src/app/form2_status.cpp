// The window's status display: the link status, the status line and progress, the time of day and
// the About box.
#include "app/form2.h"

#include "app/desktop.h"
#include "app/programdir.h"
#include "app/qtcolours.h"
#include "data/timetext.h"

#include <QApplication>
#include <QLabel>
#include <QTime>

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

void Form2::Timer1_Timer() {
    defile->setText(timeOfDayText(QTime::currentTime(), m_parts.locale));
}

void Form2::Label7_Click() {
    const QString guide = userGuide();
    m_parts.desktop->inform(
        this, QStringLiteral("Ondrelle"),
        guide.isEmpty() ? QStringLiteral("Guide de l'utilisateur : docs/guide.md, dans les sources "
                                         "de Volterne")
                        : QStringLiteral("Guide de l'utilisateur : %1").arg(guide),
        QStringLiteral("Volterne version %1\nLogiciel libre sous licence GNU GPL version 3 ou "
                       "ultérieure.")
            .arg(QLatin1String(VOLTERNE_VERSION)));
}

void Form2::Label16_Click() {
    Label7_Click();
}
