#pragma once
// Number conversions and formats as the windows and sheets write them.
#include <QString>
#include <optional>

namespace vb {
// "#,##0" and friends: thousands separators, the given number of decimals, halves rounded away
// from zero.
QString formatNumber(double value, int decimals = 0);
// Drops the fraction (toward zero).
double fix(double value);
// Halves to even, as the integer conversions do.
long long roundHalfEven(double value);
// Reads a number typed by the user or found in an import cell, the one rule for both: full-width
// forms as their ASCII ones, a leading yen sign dropped, then the system locale's form (decimal
// mark and thousands separators), then plain digits with a decimal point or grouped by commas in
// threes. Empty, infinite or anything else: no value.
std::optional<double> parseNumber(const QString& text);
}
