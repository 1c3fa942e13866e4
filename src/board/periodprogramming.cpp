#include "board/operations.h"

#include "board/periodcommand.h"
#include "link/dialogue.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> periodProgramming(Dialogue &dialogue, quint16 periodValue) {
    Dialogue::Run run(dialogue);
    const QByteArray trailer = periodTrailer(periodValue);
    // Prepared like every other operation, so a stale abort never sends the period blindly.
    dialogue.PrepareOperation(Dialogue::ClearFlags::None);
    if (!co_await dialogue.AwaitBanner(20s)) co_return;
    if (co_await dialogue.WaitForReply(board::kPeriodWord, 5, 20s) == Dialogue::WaitEnd::TimedOut)
        co_return;
    dialogue.SendCommand(board::kPeriodWord, trailer);
    if (co_await dialogue.WaitForReply(board::kPeriodConfirmation, 8, 15s) ==
        Dialogue::WaitEnd::TimedOut)
        co_return;
    ReceivePath &receive = dialogue.receive();
    receive.setReceiveBuffer(receive.latestChunk());
}
