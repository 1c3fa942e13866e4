#include "app/period.h"
#include "board/periodcommand.h"

#include <QTest>

class PeriodTest : public QObject {
    Q_OBJECT

private slots:
    void tipsShowTheRangeInTheUsersNumberFormat_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");

        const QLocale c = QLocale::c();
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        const QLocale french(QLocale::French, QLocale::France);
        QTest::newRow("1, C") << 1.0 << c << "Période = 0.5 sec à 3.5 sec";
        QTest::newRow("1, English") << 1.0 << english << "Période = 0.5 sec à 3.5 sec";
        QTest::newRow("1, French") << 1.0 << french << "Période = 0,5 sec à 3,5 sec";
        QTest::newRow("8, C") << 8.0 << c << "Période = 4 sec à 28 sec";
        QTest::newRow("8, French") << 8.0 << french << "Période = 4 sec à 28 sec";
        QTest::newRow("65534, English, no group separator")
            << 65534.0 << english << "Période = 32767 sec à 229369 sec";
        QTest::newRow("65534, French, no group separator")
            << 65534.0 << french << "Période = 32767 sec à 229369 sec";
        QTest::newRow("0.1, rounded to 15 digits") << 0.1 << c << "Période = 0.05 sec à 0.35 sec";
    }

    void tipsShowTheRangeInTheUsersNumberFormat() {
        QFETCH(double, x);
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(periodTip(x, locale), expected);
    }

    void theFormulaTipDecodesToItsAccents() {
        QCOMPARE(QString::fromUtf8(kFormulaTip),
                 QStringLiteral("P\u00e9riode = valeur * 0.5 * switch (1 \u00e0 7)"));
    }

    void theSelectionRuleGivesThePeriodValue_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("expected"); // -1: refused

        const QLocale c = QLocale::c();
        const QLocale fr(QLocale::French, QLocale::France);
        const auto row = [](const char *name, int index, bool ticked, const char *text,
                            const QLocale &locale, int expected) {
            QTest::newRow(name) << index << ticked << QString::fromUtf8(text) << locale << expected;
        };
        const int presets[] = {1, 8, 60, 600, 5400};
        for (int i = 0; i < 5; ++i)
            QTest::addRow("preset %d", i) << i << false << "123" << c << presets[i];
        row("nothing selected keeps the previous value", -1, false, "", c, 77);
        row("free wins over the preset", 4, true, "1", c, 1);
        row("free with nothing selected", -1, true, "1", c, 1);
        row("free 255", 0, true, "255", c, 255);
        row("free 256", 0, true, "256", c, 256);
        row("free 40000, unsigned", 0, true, "40000", c, 0x9C40);
        row("free 65534", 0, true, "65534", c, 65534);
        row("free 0", 0, true, "0", c, 0);
        row("free -1, two's complement", 0, true, "-1", c, 0xFFFF);
        row("free -32768", 0, true, "-32768", c, 0x8000);
        row("free 2.5 to even 2", 0, true, "2.5", c, 2);
        row("free 3.5 to even 4", 0, true, "3.5", c, 4);
        row("free 2.6 to nearest 3", 0, true, "2.6", c, 3);
        row("free 2,5 in French", 0, true, "2,5", fr, 2);
        row("blanks around", 0, true, " 12 ", c, 12);
        row("empty refused", 0, true, "", c, -1);
        row("blanks only refused", 0, true, "  ", c, -1);
        row("letters refused", 0, true, "12a", c, -1);
        row("point refused in French", 0, true, "2.5", fr, -1);
        row("group separator refused", 0, true, "1,000", c, -1);
        row("below -32768 refused", 0, true, "-32769", c, -1);
        row("above 65534 refused", 0, true, "65535", c, -1);
        row("infinity refused", 0, true, "1e999", c, -1);
    }

    void theSelectionRuleGivesThePeriodValue() {
        QFETCH(int, index);
        QFETCH(bool, ticked);
        QFETCH(QString, text);
        QFETCH(QLocale, locale);
        QFETCH(int, expected);
        const std::optional<quint16> value = selectPeriodValue(index, ticked, text, locale, 77);
        if (expected < 0) {
            QVERIFY(!value);
        } else {
            QVERIFY(value);
            QCOMPARE(*value, quint16(expected));
        }
    }

    void theTrailerIsLowByteHighByteOne_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("expected");

        const std::pair<int, const char *> rows[] = {
            {1, "010001"},     {8, "080001"},     {60, "3c0001"},    {600, "580201"},
            {5400, "181501"},  {0, "000001"},     {255, "ff0001"},   {256, "000101"},
            {40000, "409c01"}, {65534, "feff01"}, {0xFFFF, "ffff01"}};
        for (const auto &[value, hex] : rows)
            QTest::newRow(hex) << value << QByteArray::fromHex(hex);
    }

    void theTrailerIsLowByteHighByteOne() {
        QFETCH(int, value);
        QFETCH(QByteArray, expected);
        QCOMPARE(periodTrailer(quint16(value)), expected);
    }
};

QTEST_GUILESS_MAIN(PeriodTest)
#include "tst_period.moc"
