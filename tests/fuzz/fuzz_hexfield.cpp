// Hexadecimal fields: any bytes give either their exact value or the invalid report (value 0).
#include "check.h"
#include "data/hexfield.h"

#include <QByteArray>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView field(reinterpret_cast<const char *>(data), qsizetype(size));
    const HexResult result = convertion_hex_dec(field);

    // The expected value, found another way: every byte must be a digit 0-9 or A-F, and after the
    // leading zeros at most four digits may remain, worth at most 7FFF.
    bool digits = true;
    for (char c : field)
        digits = digits && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
    qsizetype first = 0;
    while (first < field.size() && field[first] == '0')
        ++first;
    const QByteArrayView significant = field.sliced(first);
    bool fits = digits && significant.size() <= 4;
    int expected = 0;
    if (fits && !significant.isEmpty())
        expected = QByteArray(significant.data(), significant.size()).toInt(nullptr, 16);
    fits = fits && expected <= 32767;

    FUZZ_CHECK(result.valid == fits);
    FUZZ_CHECK(result.value == (fits ? expected : 0));
    return 0;
}
