#include "app/channelsdialog.h"

#include "chart/statistics.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

namespace {

// A calibration point as the field first shows it: exact, in the user's decimal separator.
QString pointText(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace

ChannelsDialog::ChannelsDialog(const ChannelSettings &channels, QWidget *parent)
    : QDialog(parent), m_channels(channels) {
    setObjectName(QStringLiteral("voies"));
    setWindowTitle(QStringLiteral("Voies"));
    auto *grid = new QGridLayout;
    const QStringList headers = {QStringLiteral("Nom"),          QStringLiteral("Unité"),
                                 QStringLiteral("Brut 1"),       QStringLiteral("Valeur 1"),
                                 QStringLiteral("Brut 2"),       QStringLiteral("Valeur 2"),
                                 QStringLiteral("Limite basse"), QStringLiteral("Limite haute")};
    for (int column = 0; column < headers.size(); ++column)
        grid->addWidget(new QLabel(headers[column], this), 0, column + 1);
    for (int c = 0; c < kChannels; ++c) {
        const ChannelSetting &setting = channels.channels[c];
        const Calibration &line = setting.calibration;
        Fields &fields = m_fields[c];
        const QString channel = QString(kChannelNames[c]);
        const auto field = [&](const QString &text, const QString &what, int column) {
            auto *edit = new QLineEdit(text, this);
            edit->setAccessibleName(QStringLiteral("%1 : %2").arg(channel, what));
            edit->setMinimumWidth(column <= 2 ? 110 : 70);
            grid->addWidget(edit, 2 * c + 1, column);
            return edit;
        };
        auto *label = new QLabel(channel, this);
        grid->addWidget(label, 2 * c + 1, 0);
        fields.name = field(setting.name, headers[0], 1);
        label->setBuddy(fields.name);
        fields.unit = field(setting.unit, headers[1], 2);
        const double points[kPoints] = {line.rawA, line.valueA, line.rawB, line.valueB};
        for (int p = 0; p < kPoints; ++p) {
            fields.points[p] = field(pointText(points[p]), headers[2 + p], 3 + p);
            connect(fields.points[p], &QLineEdit::textChanged, this, [this, c] { showLine(c); });
        }
        const auto limit = [](const std::optional<double> &value) {
            return value ? pointText(*value) : QString();
        };
        fields.low = field(limit(setting.low), headers[6], 7);
        fields.high = field(limit(setting.high), headers[7], 8);
        fields.line = new QLabel(this);
        grid->addWidget(fields.line, 2 * c + 2, 1, 1, headers.size());
        showLine(c);
    }

    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #B00000"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ChannelsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChannelsDialog::reject);
    auto *layout = new QVBoxLayout(this);
    auto *help = new QLabel(QStringLiteral("Étalonnage : deux points, valeur brute de la platine "
                                           "→ valeur physique (virgule ou point décimal). "
                                           "Limites dans l'unité de la voie, vides : aucune."),
                            this);
    help->setWordWrap(true);
    layout->addWidget(help);
    layout->addLayout(grid);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
}

std::optional<Calibration> ChannelsDialog::calibration(int channel, QString *reason) const {
    const auto &points = m_fields[channel].points;
    return parseCalibration(points[0]->text(), points[1]->text(), points[2]->text(),
                            points[3]->text(), reason);
}

void ChannelsDialog::showLine(int channel) {
    QString reason;
    const std::optional<Calibration> line = calibration(channel, &reason);
    const QLocale locale;
    m_fields[channel].line->setText(line ? QStringLiteral("Facteur %1 ; décalage %2")
                                               .arg(chart::valueText(line->factor(), locale),
                                                    chart::valueText(line->offset(), locale))
                                         : reason);
}

void ChannelsDialog::accept() {
    ChannelSettings typed;
    for (int c = 0; c < kChannels; ++c) {
        QString reason;
        const std::optional<Calibration> line = calibration(c, &reason);
        if (!line) {
            m_problem->setText(QStringLiteral("%1 : %2").arg(kChannelNames[c], reason));
            m_fields[c].points[0]->setFocus();
            return;
        }
        const std::optional<Limits> limits =
            parseLimits(m_fields[c].low->text(), m_fields[c].high->text(), &reason);
        if (!limits) {
            m_problem->setText(QStringLiteral("%1 : %2").arg(kChannelNames[c], reason));
            m_fields[c].low->setFocus();
            return;
        }
        const QString name = m_fields[c].name->text().trimmed();
        typed.channels[c] = {name.isEmpty() ? QString(kChannelNames[c]) : name,
                             m_fields[c].unit->text().trimmed(), *line, limits->low, limits->high};
    }
    m_problem->clear();
    m_channels = typed;
    QDialog::accept();
}
