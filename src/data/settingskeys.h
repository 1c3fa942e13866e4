#pragma once

// The sections and keys of param.ini, named once for every reader and writer of the file: the
// program's settings and the simulator's --wire. Sections and keys match without regard to letter
// case (Profile); these are the spellings written when the file gets them.
namespace settingskeys {

// The window's four settings: the port chosen, the free period text, its tick and the preset
// index, each the key "valeur" of a section of its own.
inline constexpr char kValueKey[] = "valeur";
inline constexpr char kPortSection[] = "COM";
inline constexpr char kFreeValueSection[] = "temporisation";
inline constexpr char kSelectSection[] = "select";
inline constexpr char kIndexSection[] = "index";

// The board's switch S, key "valeur".
inline constexpr char kSwitchSection[] = "commutateur";

// The chart's sampling interval in seconds.
inline constexpr char kChartSection[] = "graphique";
inline constexpr char kIntervalKey[] = "intervalle";

// The channels' names, units and calibrations, keys "nom1", "unite1", "etalonnage1" and so on.
inline constexpr char kChannelsSection[] = "voies";
inline constexpr char kNameKey[] = "nom";
inline constexpr char kUnitKey[] = "unite";
inline constexpr char kCalibrationKey[] = "etalonnage";
inline constexpr char kLimitsKey[] = "limites";

// The devices the port names stand for: "COM1=/dev/ttyUSB0".
inline constexpr char kPortsSection[] = "ports";

// What the program knows of each board it talked to, by its identity: the serial number of its
// USB adapter, else its device, else its port entry ("COM1"):
// "A10K1ABC.raz", "A10K1ABC.programmation" (date and time) and "A10K1ABC.periode" (the code sent).
inline constexpr char kBoardsSection[] = "platines";
inline constexpr char kResetKey[] = "raz";
inline constexpr char kProgrammingKey[] = "programmation";
inline constexpr char kPeriodKey[] = "periode";

} // namespace settingskeys
