#pragma once

#include <QString>

#include <optional>

// A number as typed in a field or stored in param.ini: a "," or a "." as decimal separator,
// whatever the regional settings (a French user types a comma, a value pasted from elsewhere often
// has a point), blanks around it allowed; no group separators. Nothing when the text is not a
// finite number.
std::optional<double> parseNumber(const QString &text);
