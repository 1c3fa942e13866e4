#include "board/operations.h"

#include "board/periodcommand.h"
#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> periodProgramming(Dialogue &dialogue, quint16 periodValue,
                                std::function<void()> confirmed) {
    Dialogue::Run run(dialogue);
    const QByteArray trailer = periodTrailer(periodValue);
    // Prepared like every other operation, so a stale abort never sends the period blindly.
    if (!dialogue.PrepareOperation(Dialogue::ClearFlags::None)) co_return;
    if (!co_await dialogue.AwaitBanner(20s)) co_return;
    if (!co_await dialogue.AwaitName(board::kPeriodWord, board::kPeriodMatch, 20s)) co_return;
    dialogue.SendCommand(board::kPeriodWord, trailer);
    const Dialogue::WaitEnd end = co_await dialogue.WaitForReply(
        board::kPeriodConfirmation, board::kPeriodConfirmationMatch, 15s);
    if (end == Dialogue::WaitEnd::TimedOut) {
        dialogue.sayNoAnswer();
        co_return;
    }
    if (end != Dialogue::WaitEnd::Seen) {
        // Stopped: what arrived stays in the latest chunk, but it is no confirmation.
        dialogue.indicators().setStatus(
            QStringLiteral("Programmation envoyée, non confirmée par la platine"));
        co_return;
    }
    ReceivePath &receive = dialogue.receive();
    receive.setReceiveBuffer(receive.latestChunk());
    if (confirmed) confirmed();
}
