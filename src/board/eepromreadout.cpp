#include "board/operations.h"

#include "link/dialogue.h"
#include "link/indicators.h"
#include "link/protocol.h"
#include "link/receivepath.h"

using namespace std::chrono_literals;

QCoro::Task<> eepromReadout(Dialogue &dialogue) {
    Dialogue::Run run(dialogue);
    if (!dialogue.PrepareOperation(Dialogue::ClearFlags::Both)) co_return;
    // No banner wait while the link status blinks (Timer3), which it does from start-up on.
    if (!dialogue.indicators().timer3().isActive()) {
        if (!co_await dialogue.AwaitBanner(20s)) co_return;
    }
    dialogue.receive().setLatestChunk({});
    dialogue.indicators().timer3().start();
    // Compared over 9 characters: only a chunk that is exactly "eeprom" names the read-out.
    if (!co_await dialogue.AwaitName(board::kEepromWord, board::kEepromMatch, 15s)) co_return;
    dialogue.SendCommand(board::kEepromWord, board::kTrailer);
    dialogue.receive().setLatestChunk({});
    dialogue.indicators().setStatus(QStringLiteral("Transfert en cours..."));
    dialogue.receive().AppendFlag = true;
    dialogue.markOperationStart();
    const Dialogue::WaitEnd end = co_await dialogue.CollectUntil(board::kEepromWord);
    dialogue.receive().AppendFlag = false;
    dialogue.indicators().setStatus(end == Dialogue::WaitEnd::Seen
                                        ? QStringLiteral("Transfert EEPROM Interne Effecué")
                                        : QStringLiteral("Transfert EEPROM Interne interrompu"));
}
