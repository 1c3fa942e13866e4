// The chart as an image, alone or as the window exports it, and its PNG file.
#include "chart/chartgeometry.h"
#include "chart/chartparts.h"
#include "chart/sampleseries.h"

#include "data/filereason.h"
#include "data/outputfile.h"

#include <QFontMetricsF>
#include <QImageWriter>
#include <QPainter>

#include <cmath>

namespace chart {

using namespace geometry;

QImage render(const SampleSeries &series, QSize size, const Options &options) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, size, series, options);
    return image;
}

QImage renderWithStatistics(const SampleSeries &series, QSize size, const Options &options,
                            const QString &title) {
    const std::vector<StatisticsRow> rows =
        series.isEmpty() ? std::vector<StatisticsRow>() : statisticsRows(series, options);
    const QFontMetricsF metrics{QFont()};
    const int row = int(std::ceil(metrics.height())) + kRowPadding;
    const int above = title.isEmpty() ? 0 : row + kTitleGap;
    const int below = rows.empty() ? 0 : statisticsTableHeight(rows.size(), row);
    QImage image(size.width(), size.height() + above + below, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(kTextColour);
    if (!title.isEmpty())
        painter.drawText(QRect(0, kTitleGap / 2, size.width(), row), Qt::AlignCenter, title);
    painter.translate(0, above);
    const Frame frame = paint(painter, size, series, options);
    painter.translate(0, size.height());
    if (!rows.empty()) drawStatisticsTable(painter, rows, frame.plot.left(), metrics, row);
    return image;
}

bool savePng(const QImage &image, const QString &path, QString *error) {
    auto fail = [error](const QString &reason) {
        if (error) *error = reason;
        return false;
    };
    OutputFile file(path);
    if (!file.open()) return fail(filereason::cannotCreate(path, file.error()));
    QImageWriter writer(&file.device(), "png");
    if (!writer.write(image)) {
        file.cancel();
        return fail(writer.error() == QImageWriter::DeviceError
                        ? filereason::cannotWrite(path)
                        : QStringLiteral("L'image ne peut pas être enregistrée en PNG : %1")
                              .arg(writer.errorString()));
    }
    if (!file.commit()) return fail(filereason::cannotWrite(path, file.error()));
    return true;
}

} // namespace chart
