#include "board/operations.h"

#include "data/recording.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

#include <QFile>

using namespace std::chrono_literals;

QCoro::Task<> memoryDownload(Dialogue &dialogue, DownloadTarget target) {
    Dialogue::Run run(dialogue);
    const QString name = recordingFileName(target.date);
    const QString path = target.directory.filePath(name);

    dialogue.PrepareOperation(Dialogue::ClearFlags::Both);
    if (!co_await dialogue.AwaitBanner(20s)) co_return;
    if (co_await dialogue.WaitForReply(board::kDownloadWord, 9, 15s) == Dialogue::WaitEnd::TimedOut)
        co_return;
    dialogue.SendCommand(board::kDownloadWord, board::kTrailer);

    // The file exists from the sending of the command on. An earlier recording of the same day is
    // kept under a numbered name rather than overwritten.
    QString problem;
    if (keepEarlierRecording(target.directory, name, &problem)) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            problem = QStringLiteral("impossible de créer %1 (%2)").arg(path, file.errorString());
    }

    ReceivePath &receive = dialogue.receive();
    receive.setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("Transfert en cours..."));
    receive.AppendFlag = 1;
    dialogue.markOperationStart();
    co_await dialogue.CollectUntil(board::kDownloadEnd);
    receive.AppendFlag = 0;
    dialogue.indicators().setStatus(QStringLiteral("Transfert Effecué"));

    const QByteArray recording = receive.receiveBuffer();
    if (problem.isEmpty() && writeRecording(path, recording, &problem)) co_return;
    if (target.onWriteFailure) target.onWriteFailure(path, recording, problem);
}
