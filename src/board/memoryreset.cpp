#include "board/operations.h"

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> memoryReset(Dialogue &dialogue, std::function<void()> confirmed) {
    Dialogue::Run run(dialogue);
    if (!dialogue.PrepareOperation(Dialogue::ClearFlags::None)) co_return;
    if (!co_await dialogue.AwaitBanner(15s)) co_return;
    if (!co_await dialogue.AwaitName(board::kResetWord, board::kResetMatch, 20s)) co_return;
    dialogue.SendCommand(board::kResetWord, board::kTrailer);
    dialogue.receive().setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("RAZ Mémoire en cours ..."));
    dialogue.markOperationStart();
    const Dialogue::WaitEnd end =
        co_await dialogue.WaitWithProgress(board::kResetWord, board::kResetMatch);
    // A stop during the erase does not make it done: only the board's "RAZ" says so.
    dialogue.indicators().setStatus(
        end == Dialogue::WaitEnd::Seen
            ? QStringLiteral("RAZ Effectué")
            : QStringLiteral("RAZ envoyé, fin non confirmée par la platine"));
    if (end == Dialogue::WaitEnd::Seen && confirmed) confirmed();
}
