#include "board/periodcommand.h"

#include "data/hexfield.h"
#include "link/protocol.h"

QByteArray periodTrailer(quint16 periodValue) {
    const QByteArray digits = QByteArray::number(periodValue, 16).toUpper().rightJustified(4, '0');
    // Two uppercase digits always convert, to 0..255.
    const HexResult high = convertion_hex_dec(QByteArrayView(digits).first(2));
    const HexResult low = convertion_hex_dec(QByteArrayView(digits).sliced(2));
    Q_ASSERT(high.valid && low.valid);

    QByteArray trailer;
    trailer.append(char(low.value));
    trailer.append(char(high.value));
    trailer.append(board::kPeriodTrailerEnd);
    return trailer;
}
