#include "data/hexfield.h"

#include <QTest>

class HexFieldTest : public QObject {
    Q_OBJECT

private slots:
    void fieldsConvertOrAreRefused_data() {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("valid");

        QTest::newRow("3FF") << QByteArray("3FF") << 1023 << true;
        QTest::newRow("00A0") << QByteArray("00A0") << 160 << true;
        QTest::newRow("0C") << QByteArray("0C") << 12 << true;
        QTest::newRow("7FFF, the largest value") << QByteArray("7FFF") << 32767 << true;
        QTest::newRow("empty field") << QByteArray() << 0 << true;
        QTest::newRow("000F, leading zeros") << QByteArray("000F") << 15 << true;
        QTest::newRow("many leading zeros") << QByteArray("0000000000007FFF") << 32767 << true;
        QTest::newRow("letters within range") << QByteArray("7EDC") << 0x7EDC << true;
        QTest::newRow("8000 just above range") << QByteArray("8000") << 0 << false;
        QTest::newRow("long field above range") << QByteArray("FFFFFFFFFFFFFFFF") << 0 << false;
        QTest::newRow("lowercase letter") << QByteArray("00a0") << 0 << false;
        QTest::newRow("leading blank") << QByteArray(" 12") << 0 << false;
        QTest::newRow("minus sign") << QByteArray("-1") << 0 << false;
        QTest::newRow("slash before 0") << QByteArray("0/") << 0 << false;
        QTest::newRow("colon after 9") << QByteArray("0:") << 0 << false;
        QTest::newRow("at before A") << QByteArray("0@") << 0 << false;
        QTest::newRow("G after F") << QByteArray("0G") << 0 << false;
        QTest::newRow("NUL byte") << QByteArray("0\0", 2) << 0 << false;
        QTest::newRow("byte above 0x7F") << QByteArray("0\xC9") << 0 << false;
    }

    void fieldsConvertOrAreRefused() {
        QFETCH(QByteArray, field);
        QFETCH(int, value);
        QFETCH(bool, valid);

        const HexResult result = convertion_hex_dec(field);
        QCOMPARE(result.valid, valid);
        QCOMPARE(int(result.value), valid ? value : 0);
    }
};

QTEST_GUILESS_MAIN(HexFieldTest)
#include "tst_hexfield.moc"
