#include "board/operations.h"

#include "data/filereason.h"
#include "data/recording.h"
#include "data/sampledecoder.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

#include <QFile>

#include <cerrno>

using namespace std::chrono_literals;

namespace {
// The samples a recording holds: one for each row of its spreadsheet, as the chart counts them.
qint64 sampleCount(const QByteArray &recording) {
    qint64 rows = 0;
    const auto count = [&rows](const SampleField &field) { rows += field.column == 0; };
    SampleDecoder decoder;
    decoder.feed(recording, count);
    decoder.finish(count);
    return rows;
}

// What the status line says once the recording is saved at `savedAt`. A collection ended by a stop
// or a lost port never claims success; after a stop the board may still be sending the rest of
// its memory, which the next operation would otherwise take for a silent board.
QString endText(Dialogue::WaitEnd end, const QByteArray &recording, qint64 samples,
                const QString &savedAt) {
    const QString where = filereason::shownPath(savedAt);
    const qsizetype bytes = recording.size();
    switch (end) {
    case Dialogue::WaitEnd::Seen: {
        // An empty memory (after a RAZ) is a download too: the count says that nothing came.
        return QStringLiteral("Transfert Effecué, enregistré dans %1, %2 %3")
            .arg(where)
            .arg(samples)
            .arg(samples >= 2 ? QStringLiteral("échantillons") : QStringLiteral("échantillon"));
    }
    case Dialogue::WaitEnd::PortLost:
        return QStringLiteral("Transfert interrompu : port perdu (%1 octets enregistrés dans %2)")
            .arg(bytes)
            .arg(where);
    default:
        return QStringLiteral("Transfert interrompu (%1 octets enregistrés dans %2) : la platine "
                              "envoie peut-être encore la suite de sa mémoire")
            .arg(bytes)
            .arg(where);
    }
}
} // namespace

QCoro::Task<> memoryDownload(Dialogue &dialogue, DownloadTarget target) {
    Dialogue::Run run(dialogue);
    const QString name = recordingFileName(target.date);
    const QString path = target.directory.filePath(name);

    if (!dialogue.PrepareOperation(Dialogue::ClearFlags::Both)) co_return;
    if (!co_await dialogue.AwaitBanner(20s)) co_return;
    if (!co_await dialogue.AwaitName(board::kDownloadWord, board::kDownloadMatch, 15s)) co_return;
    dialogue.SendCommand(board::kDownloadWord, board::kTrailer);

    // The file exists from the sending of the command on. An earlier recording of the same day is
    // kept under a numbered name rather than overwritten.
    QString problem;
    if (keepEarlierRecording(target.directory, name, &problem)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            problem = filereason::cannotCreate(path, errno);
    }

    ReceivePath &receive = dialogue.receive();
    receive.setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("Transfert en cours..."));
    receive.AppendFlag = true;
    dialogue.markOperationStart();
    const Dialogue::WaitEnd end = co_await dialogue.CollectUntil(board::kDownloadEnd);
    receive.AppendFlag = false;
    if (end == Dialogue::WaitEnd::Seen)
        dialogue.indicators().setStatus(QStringLiteral("Transfert Effecué"));

    // Whatever ended the collection, what arrived is saved.
    const QByteArray recording = receive.receiveBuffer();
    const qint64 samples = sampleCount(recording);
    if (problem.isEmpty() && writeRecording(path, recording, &problem)) {
        dialogue.indicators().setStatus(endText(end, recording, samples, path));
        if (target.saved) target.saved(path, samples);
        co_return;
    }
    if (!target.onWriteFailure) co_return;
    const QString savedAt = co_await target.onWriteFailure(path, recording, problem);
    if (savedAt.isEmpty()) co_return;
    dialogue.indicators().setStatus(endText(end, recording, samples, savedAt));
    if (target.saved) target.saved(savedAt, samples);
}
