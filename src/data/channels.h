#pragma once

#include <QLatin1StringView>

#include <array>

// The board records three channels. Their names head the spreadsheet's columns and the chart's
// legend.
inline constexpr int kChannels = 3;
inline constexpr std::array<QLatin1StringView, kChannels> kChannelNames = {
    QLatin1StringView("Voie1"), QLatin1StringView("Voie2"), QLatin1StringView("Voie3")};
