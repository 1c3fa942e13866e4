#pragma once

// The words the board and the program exchange. The board speaks first: it announces itself with
// the banner, then names the operation it is ready for; only then does the program send a command
// word followed, in a second write, by a three-byte trailer. Nothing is ever line-terminated.
namespace board {

inline constexpr char kBanner[] = "PIC 16F88";

inline constexpr char kResetWord[] = "RAZ";
inline constexpr char kDownloadWord[] = "Transfert";
inline constexpr char kPeriodWord[] = "Param";
inline constexpr char kLiveWord[] = "TR";
inline constexpr char kEepromWord[] = "eeprom";

// Names the board sends to offer an operation (the reset and the read-out use their command word).
inline constexpr char kLiveName[] = "Temps reel";

// Replies.
inline constexpr char kLiveConfirmation[] = "Temps reel actif";
inline constexpr char kPeriodConfirmation[] = "Periode=";
inline constexpr char kDownloadEnd[] = "Effectue";

// Trailer of every command but "Param", whose trailer is the period's low byte, high byte, 0x01.
inline constexpr char kTrailer[] = "\x01\x01\x01";
inline constexpr char kPeriodTrailerEnd = 0x01;

// How many characters of the latest chunk each wait compares with the word it waits for: the
// word's length, so that a chunk starting with the word matches; for the banner and the read-out's
// name more than that, which only a chunk holding the word alone matches.
inline constexpr int kBannerMatch = 21;
inline constexpr int kResetMatch = 3;
inline constexpr int kDownloadMatch = 9;
inline constexpr int kPeriodMatch = 5;
inline constexpr int kLiveNameMatch = 10;
inline constexpr int kEepromMatch = 9;
inline constexpr int kLiveConfirmationMatch = 16;
inline constexpr int kPeriodConfirmationMatch = 8;

inline constexpr int kBaudRate = 9600;

} // namespace board
