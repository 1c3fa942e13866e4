#pragma once

#include <QLocale>
#include <QString>

#include <optional>

class Profile;

// The acquisition period the board runs at is PeriodValue × 0.5 s × S, S being a switch on the
// board (1 to 7) that the program cannot see. The program chooses PeriodValue: one of five presets,
// or a free number typed in the user's regional format.

// Tip of the free number box before its text first changes.
inline constexpr char kFormulaTip[] = "Période = valeur * 0.5 * switch (1 à 7)"; // UTF-8

// Largest free number the box keeps; a larger one is replaced by this one.
inline constexpr int kFreeValueMax = 65534;
// Smallest free number: a board period cannot be negative (a negative number's 16-bit pattern
// would program a period of hours).
inline constexpr int kFreeValueMin = 0;

// The preset ranges of "Périodes d'acquisition", in list order: each one's caption (UTF-8) and
// PeriodValue.
struct PeriodPreset {
    const char *range;
    quint16 value;
};
inline constexpr PeriodPreset kPeriodPresets[] = {{"0.5 sec à 3.5  sec", 1},
                                                  {"4   sec à 28   sec", 8},
                                                  {"30  sec à 210  sec", 60},
                                                  {"5   mn  à 35   min", 600},
                                                  {"45  mn  à 315  min", 5400}};

// Seconds a unit of PeriodValue lasts with the switch at 1.
inline constexpr double kPeriodStep = 0.5;

// Range of periods for PeriodValue x, switch at 1 and at 7, in seconds:
// "Période = 0.5 sec à 3.5 sec" (numbers in the locale's decimal form, without group separators).
// A number that rounds below kFreeValueMin gives the valid range instead.
QString periodTip(double x, const QLocale &locale);

// Nearest whole number, halves to the even neighbour (2.5 → 2, 3.5 → 4, -0.5 → 0).
double roundHalfEven(double x);

// The PeriodValue to send. Presets 0 to 4 give their value; any other index (-1, nothing
// selected) keeps previous. When the free box is ticked its number wins (read by parseNumber: a
// comma or a point as decimal separator, no group separators), rounded halves to even.
// Nothing when ticked with a text that is not a number or whose rounded value lies outside
// kFreeValueMin to kFreeValueMax: the caller then refuses to send.
std::optional<quint16> selectPeriodValue(int presetIndex, bool freeTicked, const QString &freeText,
                                         quint16 previous);

// The board's switch S as the user sets it ("Commutateur S"): 1 to 7, 1 when not set.
inline constexpr int kSwitchMin = 1;
inline constexpr int kSwitchMax = 7;

// The switch kept in param.ini, key "valeur" of section "commutateur": kSwitchMin when the file,
// the section or the key is missing or holds no whole number from 1 to 7.
int readBoardSwitch(const Profile &profile);
// Stores the switch. False with the reason in *error when the file can't be written.
bool saveBoardSwitch(Profile &profile, int boardSwitch, QString *error = nullptr);
// Whether param.ini already holds the switch (its section is written only once there is
// something to keep).
bool hasBoardSwitch(const Profile &profile);

// Seconds between two samples of a board programmed with periodValue: periodValue × 0.5 s × S.
double programmedInterval(quint16 periodValue, int boardSwitch);
// Where that interval came from, for the tip of the chart's interval field:
// "Intervalle tiré de la programmation : période 60 × 0,5 s × commutateur 1".
QString programmedIntervalTip(quint16 periodValue, int boardSwitch);
// The formula as the tips word it: "période × 0,5 s × commutateur S", or with the numbers of a
// programming.
QString periodFormula(const QString &period = QStringLiteral("période"),
                      const QString &boardSwitch = QStringLiteral("commutateur S"));
