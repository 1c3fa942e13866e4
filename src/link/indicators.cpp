#include "link/indicators.h"

Indicators::Indicators(QObject *parent) : QObject(parent) {
    m_timer3.setObjectName(QStringLiteral("Timer3"));
    m_timer3.setInterval(kBlinkInterval);
    connect(&m_timer3, &QTimer::timeout, this, &Indicators::Timer3_Timer);
}

void Indicators::setLink(const QString &text, quint32 colour) {
    m_linkText = text;
    m_linkColour = colour;
    emit changed();
}

void Indicators::setLinkText(const QString &text) {
    m_linkText = text;
    emit changed();
}

void Indicators::setLinkVisible(bool visible) {
    m_linkVisible = visible;
    emit changed();
}

void Indicators::setStatus(const QString &text) {
    m_status = text;
    emit changed();
}

void Indicators::setSpinner(const QString &text) {
    m_spinner = text;
    emit changed();
}

void Indicators::setElapsed(const QString &text) {
    m_elapsed = text;
    emit changed();
}
