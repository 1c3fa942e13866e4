#pragma once

#include "data/channelsettings.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

// "Voies…": for each of the three channels its name, its unit and its calibration as two points
// (raw value → physical value), the factor and offset they give shown as they are typed, and its
// low and high limits in its unit (either may be empty). Numbers
// take a "," or a "." as decimal separator. OK is refused while a calibration or a limit does not
// read, with
// the reason under the fields; nothing leaves the dialog then. The owner opens it with open() and
// takes channels() once it is accepted.
class ChannelsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPoints = 4; // raw A, value A, raw B, value B

    explicit ChannelsDialog(const ChannelSettings &channels, QWidget *parent = nullptr);

    // The settings as typed; meaningful once the dialog is accepted. An empty name is the
    // channel's default one.
    ChannelSettings channels() const { return m_channels; }

    QLineEdit *nameField(int channel) const { return m_fields[channel].name; }
    QLineEdit *unitField(int channel) const { return m_fields[channel].unit; }
    QLineEdit *pointField(int channel, int point) const { return m_fields[channel].points[point]; }
    QLineEdit *lowField(int channel) const { return m_fields[channel].low; }
    QLineEdit *highField(int channel) const { return m_fields[channel].high; }
    // "Facteur 0,00489 ; décalage 0", or what is wrong with the points typed.
    QLabel *lineLabel(int channel) const { return m_fields[channel].line; }
    // Why OK was refused; empty while it was not.
    QLabel *problemLabel() const { return m_problem; }

public slots:
    void accept() override;

private:
    struct Fields {
        QLineEdit *name = nullptr;
        QLineEdit *unit = nullptr;
        std::array<QLineEdit *, kPoints> points{};
        QLineEdit *low = nullptr;
        QLineEdit *high = nullptr;
        QLabel *line = nullptr;
    };
    std::optional<Calibration> calibration(int channel, QString *reason) const;
    void showLine(int channel);

    std::array<Fields, kChannels> m_fields;
    QLabel *m_problem = nullptr;
    ChannelSettings m_channels;
};
