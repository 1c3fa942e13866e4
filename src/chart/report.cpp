// The one-page report: a PDF page put together from texts and tables drawn here and the chart
// drawn by paint(), scaled onto the page as vectors.
#include "chart/report.h"

#include "chart/chartgeometry.h"
#include "chart/sampleseries.h"
#include "chart/statistics.h"

#include "data/filereason.h"
#include "data/outputfile.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace chart {

namespace {

using geometry::kFrameColour;
using geometry::kTextColour;

constexpr int kResolution = 300; // dots per inch of the page's coordinates
constexpr double kMargin = 15;   // millimetres on every side
// The chart is drawn as on a screen of 120 dots per inch, its text 12 pixels high, then scaled
// onto the page: its lines, ticks and swatches keep their proportions to its text, which reads
// at about 7 points.
constexpr double kChartResolution = 120;
constexpr int kChartFontPixels = 12;
constexpr double kChartHeight = 125; // millimetres

constexpr double kTitlePoints = 15;
constexpr double kHeadingPoints = 10.5;
constexpr double kTextPoints = 9;
constexpr double kTablePoints = 8.5;
constexpr double kFooterPoints = 8;
constexpr double kSmallestPoints = 5;

const QString kUnknown = QStringLiteral("inconnu");

double mm(double millimetres) {
    return millimetres * kResolution / 25.4;
}

// Latin text is not shaped, so that no ligature ("ﬃ") replaces the letters of a text that the
// PDF's reader copies or searches.
QFont fontOf(double points, bool bold = false) {
    QFont font;
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Where the next line of the page goes, the page being `width` wide.
struct Cursor {
    QPainter &painter;
    double width;
    double y = 0;

    double line(const QFont &font) const {
        return std::ceil(QFontMetricsF(font, painter.device()).height() * 1.25);
    }
    void text(const QString &text, const QFont &font) {
        const double height = line(font);
        painter.setFont(font);
        painter.setPen(kTextColour);
        painter.drawText(QRectF(0, y, width, height), Qt::AlignLeft | Qt::AlignVCenter, text);
        y += height;
    }
    void skip(double millimetres) { y += mm(millimetres); }
};

// A table under a bold header, a rule between them; a row led by a channel has its colour swatch
// before its first cell. Too wide for the page, it takes a smaller font, down to kSmallestPoints;
// a text still too wide for its cell is cut at the cell's edge.
struct Table {
    QStringList header;
    std::vector<QStringList> rows;
    std::vector<int> channels;   // each row's channel, for its swatch
    std::vector<bool> rightward; // each column: right-aligned, as numbers read best
};

void drawTable(Cursor &cursor, const Table &table) {
    const double padding = mm(4);
    const double swatchColumn = mm(5);
    const int columns = int(table.header.size());
    QFont font = fontOf(kTablePoints);
    QFont bold = fontOf(kTablePoints, true);
    std::vector<double> widths(size_t(columns), 0.0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const QFontMetricsF metrics(font, cursor.painter.device());
        const QFontMetricsF boldMetrics(bold, cursor.painter.device());
        for (int column = 0; column < columns; ++column) {
            double widest = boldMetrics.horizontalAdvance(table.header[column]);
            for (const QStringList &row : table.rows)
                widest = std::max(widest, metrics.horizontalAdvance(row.value(column)));
            widths[size_t(column)] = std::ceil(widest) + padding + (column == 0 ? swatchColumn : 0);
        }
        double total = 0;
        for (double width : widths)
            total += width;
        if (total <= cursor.width) break;
        font.setPointSizeF(
            std::max(kSmallestPoints, font.pointSizeF() * cursor.width / total * 0.97));
        bold.setPointSizeF(font.pointSizeF());
    }
    QPainter &painter = cursor.painter;
    const double row = std::ceil(QFontMetricsF(bold, painter.device()).height() * 1.35);
    const auto drawRow = [&](const QStringList &cells, int channel) {
        double x = 0;
        if (channel >= 0)
            painter.fillRect(QRectF(x, cursor.y + (row - mm(2.2)) / 2, mm(3.5), mm(2.2)),
                             kColours[size_t(channel)]);
        for (int column = 0; column < columns; ++column) {
            const double indent = column == 0 ? swatchColumn : 0;
            const double cell = widths[size_t(column)] - indent - padding;
            const bool right = table.rightward[size_t(column)];
            painter.drawText(QRectF(x + indent, cursor.y, cell, row),
                             (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             cells.value(column));
            x += widths[size_t(column)];
        }
        cursor.y += row;
    };
    painter.setPen(kTextColour);
    painter.setFont(bold);
    drawRow(table.header, -1);
    double total = 0;
    for (double width : widths)
        total += width;
    painter.setPen(QPen(kFrameColour, mm(0.2)));
    painter.drawLine(QPointF(0, cursor.y), QPointF(total - padding, cursor.y));
    painter.setPen(kTextColour);
    painter.setFont(font);
    for (size_t r = 0; r < table.rows.size(); ++r)
        drawRow(table.rows[r], table.channels[r]);
}

QString orUnknown(const QString &text, const QString &unknown = kUnknown) {
    return text.isEmpty() ? unknown : text;
}

QString momentText(const QDateTime &moment) {
    return moment.isValid() ? dateTimeText(moment) : QString();
}

// The recording's facts, a line each.
QStringList factLines(const ReportContent &content, const SampleSeries &series) {
    const RecordingFacts &facts = content.facts;
    const QLocale &locale = content.locale;
    QStringList lines;
    if (facts.port.isEmpty() && facts.device.isEmpty() && facts.serialNumber.isEmpty())
        lines << QStringLiteral("Platine : inconnue");
    else
        lines << QStringLiteral("Platine : %1 — %2 — n° %3")
                     .arg(orUnknown(facts.port, QStringLiteral("port inconnu")),
                          orUnknown(facts.device, QStringLiteral("périphérique inconnu")),
                          orUnknown(facts.serialNumber));
    const QString recorded = momentText(facts.recorded);
    if (facts.live)
        lines << (recorded.isEmpty() ? QStringLiteral("Lecture en temps réel : début inconnu")
                                     : QStringLiteral("Lecture en temps réel le %1").arg(recorded));
    else
        lines << (recorded.isEmpty() ? QStringLiteral("Téléchargement : inconnu")
                                     : QStringLiteral("Téléchargé le %1").arg(recorded));
    const QString start = momentText(facts.start);
    lines << QStringLiteral("Début : %1%2")
                 .arg(orUnknown(start),
                      start.isEmpty() || facts.startOrigin == StartOrigin::Unknown
                          ? QString()
                          : QStringLiteral(" (%1)").arg(startOriginText(facts.startOrigin)));
    const SampleClock clock = facts.clock();
    const qint64 samples = series.dropped() + series.size();
    const QString end =
        clock.known() && samples > 0 ? momentText(clock.at(samples - 1)) : QString();
    lines << QStringLiteral("Fin : %1").arg(orUnknown(end, QStringLiteral("inconnue")));
    lines << QStringLiteral("Période : %1, %2, %3")
                 .arg(facts.periodCode ? QStringLiteral("code %1").arg(*facts.periodCode)
                                       : QStringLiteral("code inconnu"),
                      facts.boardSwitch > 0
                          ? QStringLiteral("commutateur S = %1").arg(facts.boardSwitch)
                          : QStringLiteral("commutateur S inconnu"),
                      facts.interval > 0
                          ? QStringLiteral("intervalle %1")
                                .arg(valueText(facts.interval, QStringLiteral("s"), locale))
                          : QStringLiteral("intervalle inconnu"));
    const auto [first, last] = content.options.visibleSamples(series.size());
    if (last >= first)
        lines << QStringLiteral("Plage affichée : échantillons %1 à %2 sur %3")
                     .arg(series.dropped() + first + 1)
                     .arg(series.dropped() + last + 1)
                     .arg(samples);
    else
        lines << QStringLiteral("Plage affichée : aucun échantillon");
    return lines;
}

QString calibrationText(const Calibration &calibration, const QLocale &locale) {
    return QStringLiteral("%1 → %2 ; %3 → %4")
        .arg(valueText(calibration.rawA, locale), valueText(calibration.valueA, locale),
             valueText(calibration.rawB, locale), valueText(calibration.valueB, locale));
}

QString limitsText(const ChannelSetting &setting, const QLocale &locale) {
    QStringList parts;
    if (setting.low) parts << QStringLiteral("bas %1").arg(valueText(*setting.low, locale));
    if (setting.high) parts << QStringLiteral("haut %1").arg(valueText(*setting.high, locale));
    return parts.isEmpty() ? kNoValue : parts.join(QStringLiteral(" / "));
}

Table channelsTable(const Options &options, const QLocale &locale) {
    Table table{{QStringLiteral("Voie"), QStringLiteral("Unité"), QStringLiteral("Étalonnage"),
                 QStringLiteral("Limites")},
                {},
                {},
                {false, false, false, false}};
    for (int c = 0; c < kChannels; ++c) {
        const ChannelSetting &setting = options.channels.channels[size_t(c)];
        const QString name = options.hidden[size_t(c)]
                                 ? QStringLiteral("%1 (masquée)").arg(setting.name)
                                 : setting.name;
        table.rows.push_back({name, orUnknown(setting.unit, kNoValue),
                              calibrationText(setting.calibration, locale),
                              limitsText(setting, locale)});
        table.channels.push_back(c);
    }
    return table;
}

// The time of series position `sample`: the clock's when it is known, else the seconds elapsed
// since the first sample when the interval is, else the sample's number.
QString sampleTime(const SampleSeries &series, qint64 sample, const SampleClock &clock,
                   double interval, const QLocale &locale) {
    if (sample < 0) return kNoValue;
    if (clock.known()) return dateTimeText(clock.at(series.dropped() + sample));
    if (interval > 0)
        return valueText(axisValue(series, double(sample), interval), QStringLiteral("s"), locale);
    return QStringLiteral("n° %1").arg(series.dropped() + sample + 1);
}

// The statistics of the visible channels over the shown range, as the window's table gives them,
// with the time of each extreme. The durations outside limits take the recording's interval when
// the chart counts samples.
Table statisticsTable(const ReportContent &content, const SampleSeries &series,
                      const Options &shown) {
    Options options = shown;
    if (options.interval <= 0) options.interval = content.facts.interval;
    Table table{{QStringLiteral("Voie"), QStringLiteral("Minimum"), QStringLiteral("Instant"),
                 QStringLiteral("Maximum"), QStringLiteral("Instant"), QStringLiteral("Moyenne"),
                 QStringLiteral("Hors limites")},
                {},
                {},
                {false, true, false, true, false, true, true}};
    const auto [first, last] = options.visibleSamples(series.size());
    const auto raw = statistics(series, first, last);
    const SampleClock clock = content.facts.clock();
    for (const StatisticsRow &row : statisticsRows(series, options)) {
        qint64 minimumAt = raw[size_t(row.channel)].minimumAt;
        qint64 maximumAt = raw[size_t(row.channel)].maximumAt;
        if (options.channels.channels[size_t(row.channel)].calibration.factor() < 0)
            std::swap(minimumAt, maximumAt); // a falling calibration
        table.rows.push_back(
            {row.title, row.minimum,
             sampleTime(series, minimumAt, clock, options.interval, content.locale), row.maximum,
             sampleTime(series, maximumAt, clock, options.interval, content.locale), row.mean,
             row.outside});
        table.channels.push_back(row.channel);
    }
    return table;
}

void drawPage(QPainter &painter, double width, double height, const ReportContent &content,
              const SampleSeries &series) {
    Options options = content.options;
    options.locale = content.locale;
    Cursor cursor{painter, width};

    cursor.text(content.name.isEmpty() ? QStringLiteral("Rapport de mesures") : content.name,
                fontOf(kTitlePoints, true));
    cursor.skip(2);
    for (const QString &line : factLines(content, series))
        cursor.text(line, fontOf(kTextPoints));
    cursor.skip(4);

    // The chart, in its own pixels scaled onto the page.
    const double scale = kResolution / kChartResolution;
    const QSize chartSize(int(width / scale), int(mm(kChartHeight) / scale));
    painter.save();
    painter.translate(0, cursor.y);
    painter.scale(scale, scale);
    QFont chartFont = fontOf(kTextPoints);
    chartFont.setPixelSize(kChartFontPixels);
    painter.setFont(chartFont);
    paint(painter, chartSize, series, options);
    painter.restore();
    cursor.y += chartSize.height() * scale;
    cursor.skip(5);

    cursor.text(QStringLiteral("Voies"), fontOf(kHeadingPoints, true));
    drawTable(cursor, channelsTable(options, content.locale));
    cursor.skip(5);
    cursor.text(QStringLiteral("Statistiques de la plage affichée"), fontOf(kHeadingPoints, true));
    drawTable(cursor, statisticsTable(content, series, options));

    // The footer, on the page's last line.
    const QFont footer = fontOf(kFooterPoints);
    const double line = cursor.line(footer);
    painter.setFont(footer);
    painter.setPen(QPen(kFrameColour, mm(0.2)));
    painter.drawLine(QPointF(0, height - line), QPointF(width, height - line));
    painter.setPen(kTextColour);
    const QRectF last(0, height - line, width, line);
    painter.drawText(last, Qt::AlignLeft | Qt::AlignBottom,
                     QStringLiteral("Volterne %1").arg(content.version));
    painter.drawText(last, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Rapport établi le %1")
                         .arg(orUnknown(momentText(content.moment), QStringLiteral("?"))));
}

} // namespace

bool writeReport(const QString &path, const ReportContent &content, QString *error) {
    const auto fail = [error](const QString &reason) {
        if (error) *error = reason;
        return false;
    };
    static const SampleSeries kEmpty;
    const SampleSeries &series = content.series ? *content.series : kEmpty;
    OutputFile file(path);
    if (!file.open()) return fail(filereason::cannotCreate(path, file.error()));
    {
        QPdfWriter writer(&file.device());
        writer.setResolution(kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kMargin, kMargin, kMargin, kMargin),
                                         QPageLayout::Millimeter));
        writer.setTitle(content.name);
        writer.setCreator(QStringLiteral("Volterne %1").arg(content.version));
        QPainter painter;
        if (!painter.begin(&writer)) {
            file.cancel();
            return fail(filereason::cannotWrite(path));
        }
        drawPage(painter, writer.width(), writer.height(), content, series);
        if (!painter.end()) {
            file.cancel();
            return fail(filereason::cannotWrite(path));
        }
    }
    if (!file.commit()) return fail(filereason::cannotWrite(path, file.error()));
    return true;
}

} // namespace chart
