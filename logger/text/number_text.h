#pragma once
// Number texts: temperatures and thresholds with two decimals and a decimal
// comma, and the lenient readers that take the leading number of a text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvinor {

// Fixed-point text with exactly two decimals and a decimal point ("126.00").
std::string formatTwoDecimals(double value);

// Every "." replaced by ",".
std::string withDecimalComma(std::string text);

// Every "," replaced by ".".
std::string withDecimalPoint(std::string text);

// Two decimals with a decimal comma ("-56,00").
inline std::string formatTemperature(double value) {
    return withDecimalComma(formatTwoDecimals(value));
}

// The longest leading decimal number (white space skipped, optional sign,
// digits with an optional point and fraction, optional exponent); the point
// is the only decimal separator whatever the locale. No number gives 0;
// a number beyond the range of double gives an infinity of its sign.
double readDecimalPrefix(std::string_view text);
// The same number, or nothing when the text does not start with one.
std::optional<double> readDecimalNumber(std::string_view text);

// Blanks and tabs skipped, an optional sign, then digits up to the first
// other character; no digit gives 0. Saturates instead of overflowing.
std::int64_t readIntegerPrefix(std::string_view text);

// Decimal text of an integer, no leading zeros.
std::string decimal(std::int64_t value);

}  // namespace kelvinor
