#include "convert/batchconvert.h"

#include "chart/chartrender.h"
#include "chart/report.h"
#include "chart/sampleseries.h"
#include "data/chartsettings.h"
#include "data/facts.h"
#include "data/filereason.h"
#include "data/measures.h"
#include "data/outputfile.h"
#include "data/profile.h"
#include "data/recording.h"
#include "data/spreadsheet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSet>

#include <algorithm>

namespace {

constexpr qint64 kReadBlock = 1 << 20;

// <name><suffix> in `directory`, or beside the recording when `directory` is empty.
QString derivedPath(const QString &recording, const QString &directory, QLatin1StringView suffix) {
    const QFileInfo info(recording);
    const QString name = info.completeBaseName() + suffix;
    const QString folder = directory.isEmpty() ? info.path() : directory;
    return folder == QLatin1String(".") ? name : QDir(folder).filePath(name);
}

// The same path however it was written, to tell when two names lead to one file.
QString identity(const QString &path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

class Run {
public:
    Run(const ConvertOptions &options, const MeasuresLayout &layout, QIODevice &standardOutput,
        QIODevice &errors)
        : m_options(options), m_layout(layout), m_standardOutput(standardOutput), m_errors(errors) {
    }

    int convert(const ConvertJob &job) {
        if (!claim(job.recording, job.spreadsheet) || !claim(job.recording, job.chart) ||
            !claim(job.recording, job.report))
            return kConvertFailed;
        const MeasuresLayout layout = layoutFor(job.recording);
        RecordingConversion conversion = convertRecording;
        if (m_options.measures)
            conversion = [&layout](QIODevice &in, QIODevice &out) {
                return writeMeasures(in, out, layout);
            };
        const ConversionReport report =
            job.spreadsheet == QLatin1String("-")
                ? toStandardOutput(job.recording, conversion)
                : convertFile(job.recording, job.spreadsheet, conversion);
        int status = kConvertDone;
        if (!report.ok()) {
            say(job.recording, report.error);
            // A recording that can't be read has no chart either.
            if (report.readError) return kConvertFailed;
            status = kConvertFailed;
        } else {
            if (report.damage != RecordingDamage::None) {
                say(job.recording, damageReason(report.damage));
                status = kConvertDoubtful;
            }
            if (report.invalidFields > 0) {
                say(job.recording, invalidFieldsReason(report));
                status = kConvertDoubtful;
            }
        }
        if (!job.chart.isEmpty() && !drawChart(job, layout)) status = kConvertFailed;
        if (!job.report.isEmpty() && !writeReportOf(job, layout)) status = kConvertFailed;
        return status;
    }

private:
    // What the options say, and what the recording's facts file (when there is one) gives where
    // they say nothing: its interval (before that of --settings), its channels, its start and
    // arrivals.
    MeasuresLayout layoutFor(const QString &recording) const {
        MeasuresLayout layout = m_layout;
        const std::optional<RecordingFacts> facts = RecordingFacts::read(factsPath(recording));
        if (facts) {
            if (m_options.interval == 0 && facts->interval > 0) layout.interval = facts->interval;
            if (m_options.settings.isEmpty()) layout.channels = facts->channels;
            if (!m_options.start.isValid()) layout.clock = facts->clock();
        }
        if (m_options.start.isValid()) layout.clock = {m_options.start, 0, {}};
        layout.clock.interval = layout.interval;
        return layout;
    }

    // Refuses to write over the recording being read or over a file this run already wrote (two
    // recordings of the same name from different folders into one output folder).
    bool claim(const QString &recording, const QString &output) {
        if (output.isEmpty() || output == QLatin1String("-")) return true;
        const QString key = identity(output);
        if (key == identity(recording)) {
            say(recording, QStringLiteral("« %1 » est l'enregistrement lui-même : il n'est pas "
                                          "remplacé ; donnez un autre nom avec -o ou un dossier")
                               .arg(output));
            return false;
        }
        if (m_written.contains(key)) {
            say(recording, QStringLiteral("« %1 » vient d'être écrit pour un autre enregistrement "
                                          "du même nom : il n'est pas remplacé")
                               .arg(output));
            return false;
        }
        m_written.insert(key);
        return true;
    }

    ConversionReport toStandardOutput(const QString &path, const RecordingConversion &conversion) {
        QFile recording;
        if (!openForReading(recording, path)) {
            ConversionReport report;
            report.readError = true;
            report.error = filereason::cannotRead(path);
            return report;
        }
        return conversion(recording, m_standardOutput);
    }

    // The samples of the whole recording, or nothing when it cannot be read (said).
    std::optional<SampleSeries> readSeries(const QString &path) {
        QFile recording;
        if (!openForReading(recording, path)) {
            say(path, filereason::cannotRead(path));
            return std::nullopt;
        }
        SampleSeries series;
        QByteArray block(kReadBlock, Qt::Uninitialized);
        qint64 got = 0;
        while ((got = recording.read(block.data(), block.size())) > 0)
            series.append(QByteArrayView(block.constData(), got));
        if (got < 0) {
            say(path, filereason::cannotRead(path));
            return std::nullopt;
        }
        // A line end of its own closes a last line that has none; an empty line adds nothing.
        series.append("\r");
        return series;
    }

    static chart::Options chartOptions(const MeasuresLayout &layout) {
        chart::Options options;
        options.interval = layout.interval;
        options.channels = layout.channels;
        options.clock = layout.clock;
        return options;
    }

    bool drawChart(const ConvertJob &job, const MeasuresLayout &layout) {
        const std::optional<SampleSeries> series = readSeries(job.recording);
        if (!series) return false;
        QString error;
        if (chart::savePng(chart::render(*series, m_options.size, chartOptions(layout)), job.chart,
                           &error))
            return true;
        say(job.recording, error);
        return false;
    }

    // The report of the whole recording: its facts file's facts, with what the options give.
    bool writeReportOf(const ConvertJob &job, const MeasuresLayout &layout) {
        const std::optional<SampleSeries> series = readSeries(job.recording);
        if (!series) return false;
        chart::ReportContent content;
        content.name = QFileInfo(job.recording).fileName();
        content.facts = RecordingFacts::read(factsPath(job.recording)).value_or(RecordingFacts());
        content.facts.interval = layout.interval;
        content.facts.channels = layout.channels;
        if (m_options.start.isValid()) {
            content.facts.start = m_options.start;
            content.facts.startOrigin = StartOrigin::Corrected;
        }
        content.series = &*series;
        content.options = chartOptions(layout);
        content.version = QStringLiteral(VOLTERNE_VERSION);
        content.moment = wholeSecond(QDateTime::currentDateTime());
        content.locale = layout.locale;
        QString error;
        if (chart::writeReport(job.report, content, &error)) return true;
        say(job.recording, error);
        return false;
    }

    void say(const QString &recording, const QString &message) {
        m_errors.write(
            QStringLiteral("volterne-convert: %1 : %2\n").arg(recording, message).toUtf8());
    }

    const ConvertOptions &m_options;
    const MeasuresLayout &m_layout;
    QIODevice &m_standardOutput;
    QIODevice &m_errors;
    QSet<QString> m_written;
};

} // namespace

QList<ConvertJob> convertJobs(const ConvertOptions &options) {
    QList<ConvertJob> jobs;
    for (const QString &recording : options.recordings) {
        ConvertJob job{recording, options.output, options.png, options.pdf};
        if (job.spreadsheet.isEmpty())
            job.spreadsheet = derivedPath(recording, options.outputDir,
                                          options.measures ? kMeasuresSuffix : kSpreadsheetSuffix);
        if (job.chart.isEmpty() && !options.pngDir.isEmpty())
            job.chart = derivedPath(recording, options.pngDir, kChartSuffix);
        jobs << job;
    }
    return jobs;
}

int runConversions(const ConvertOptions &options, QIODevice &standardOutput, QIODevice &errors) {
    // Output folders are made when missing; one that can't be made shows in each file's reason.
    for (const QString &folder : {options.outputDir, options.pngDir})
        if (!folder.isEmpty()) QDir().mkpath(folder);
    // The channels' settings and the interval: those of --settings, --interval winning, else
    // each recording's facts; the interval also gives the charts their time axis.
    MeasuresLayout layout;
    layout.interval = options.interval;
    layout.locale = QLocale::system();
    if (!options.settings.isEmpty()) {
        if (QFile file; !openForReading(file, options.settings)) {
            errors.write(QStringLiteral("volterne-convert: %1 : %2\n")
                             .arg(options.settings, filereason::cannotRead(options.settings))
                             .toUtf8());
            return kConvertFailed;
        }
        const Profile profile(options.settings);
        layout.channels = ChannelSettings::read(profile);
        if (layout.interval == 0) layout.interval = readChartInterval(profile);
    }
    Run run(options, layout, standardOutput, errors);
    int status = kConvertDone;
    for (const ConvertJob &job : convertJobs(options))
        status = std::max(status, run.convert(job));
    return status;
}
