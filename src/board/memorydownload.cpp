#include "board/operations.h"

#include "data/filereason.h"
#include "data/recording.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

#include <QFile>

#include <cerrno>

using namespace std::chrono_literals;

namespace {
// What the status line says once the recording is saved at `savedAt`. A collection ended by a stop
// or a lost port never claims success; after a stop the board may still be sending the rest of
// its memory, which the next operation would otherwise take for a silent board.
QString endText(Dialogue::WaitEnd end, qsizetype bytes, const QString &savedAt) {
    const QString where = filereason::shownPath(savedAt);
    switch (end) {
    case Dialogue::WaitEnd::Seen:
        return QStringLiteral("Transfert Effecué, enregistré dans %1").arg(where);
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
    if (problem.isEmpty() && writeRecording(path, recording, &problem)) {
        dialogue.indicators().setStatus(endText(end, recording.size(), path));
        co_return;
    }
    if (!target.onWriteFailure) co_return;
    const QString savedAt = co_await target.onWriteFailure(path, recording, problem);
    if (!savedAt.isEmpty())
        dialogue.indicators().setStatus(endText(end, recording.size(), savedAt));
}
