// Receive path and board dialogue: a byte stream cut into chunks at arbitrary places, the board's
// bursts gathered by arbitrary receive ticks, time moving on in between.
// - While collecting (AppendFlag set), the receive buffer is exactly the stream, in order.
// - The download's end text is found whenever the stream holds it, wherever it was cut, and never
//   when it does not.
// - The banner wait ends only on a chunk that is the banner alone, never on a banner glued to
//   other bytes, and always on a chunk that is the banner alone.
#include "check.h"
#include "fakeboard.h"
#include "link/protocol.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

using namespace std::chrono_literals;

namespace {

QByteArray bytes(FuzzedDataProvider &input, size_t longest) {
    return QByteArray::fromStdString(input.ConsumeRandomLengthString(longest));
}

// settle() less its polls for the system's events, which neither the fake board nor the manual
// clock gives: the queued events alone run, as many rounds; time moves on by `step` first, if any.
void runQueued(BoardRig &rig, std::optional<Clock::Duration> step = {}) {
    if (step) rig.clock.advance(*step);
    for (int round = 0; round < 20; ++round)
        QCoreApplication::sendPostedEvents();
}

// Ends a wait still going on, so that nothing of it outlives the run.
template <typename T> void finish(BoardRig &rig, const std::optional<T> &end) {
    rig.dialogue.setAbortFlag(true);
    for (int pass = 0; pass < 4 && !end; ++pass)
        runQueued(rig, Dialogue::kProgressPause);
    FUZZ_CHECK(end.has_value());
}

void collectUntilTheEndText(FuzzedDataProvider &input) {
    const QByteArray endText(board::kDownloadEnd);
    QByteArray stream = bytes(input, 4096);
    if (input.ConsumeBool())
        stream.insert(input.ConsumeIntegralInRange<qsizetype>(0, stream.size()), endText);

    BoardRig rig;
    rig.board.open();
    rig.receive.AppendFlag = true;
    std::optional<Dialogue::WaitEnd> end;
    auto task = keepOutcome(rig.dialogue.CollectUntil(endText), &end);

    qsizetype sent = 0;
    while (sent < stream.size()) {
        const qsizetype piece = input.ConsumeIntegralInRange<qsizetype>(1, stream.size() - sent);
        rig.board.deliver(stream.mid(sent, piece));
        sent += piece;
        switch (input.ConsumeIntegralInRange(0, 2)) {
        case 0: // the bytes wait for the next tick with later ones
            break;
        case 1:
            rig.receive.Timer2_Timer();
            runQueued(rig);
            break;
        case 2:
            rig.receive.Timer2_Timer();
            runQueued(rig, std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 400)));
            break;
        }
    }
    rig.receive.Timer2_Timer();
    for (int pass = 0; pass < 3; ++pass)
        runQueued(rig, Dialogue::kProgressPause);

    FUZZ_CHECK(rig.receive.receiveBuffer() == stream);
    if (stream.contains(endText))
        FUZZ_CHECK(end == Dialogue::WaitEnd::Seen);
    else
        FUZZ_CHECK(!end);
    finish(rig, end);
}

void awaitTheBanner(FuzzedDataProvider &input) {
    const QByteArray banner(board::kBanner);
    BoardRig rig;
    rig.board.open();
    std::optional<Dialogue::WaitEnd> end;
    auto task =
        keepOutcome(rig.dialogue.WaitForReply(banner, board::kBannerMatch, 20s), &end);

    while (!end && input.remaining_bytes() > 0) {
        QByteArray chunk = bytes(input, 64);
        if (input.ConsumeBool())
            chunk.insert(input.ConsumeIntegralInRange<qsizetype>(0, chunk.size()), banner);
        rig.board.deliver(chunk); // as rig.chunk() does
        rig.receive.Timer2_Timer();
        runQueued(rig);
        if (chunk == banner)
            FUZZ_CHECK(end == Dialogue::WaitEnd::Seen);
        else if (!chunk.isEmpty())
            FUZZ_CHECK(!end);
    }
    finish(rig, end);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        collectUntilTheEndText(input);
    else
        awaitTheBanner(input);
    return 0;
}
