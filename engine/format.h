#pragma once

#include <string>
#include <string_view>

namespace qv {

// Shortest general form with up to 15 significant digits: fixed notation while
// the integer part has at most 15 digits and |value| >= 0.00001, otherwise
// "1.5E20" / "1E-7". No trailing zeros; zero is "0", never "-0".
std::string FormatGeneral(double value, std::string_view decimalSeparator = ".");

// At least one integer digit, exactly two decimals, thousands grouped:
// 1234567.891 -> "1,234,567.89".
std::string FormatGrouped2(double value, std::string_view thousandsSeparator = ",",
                           std::string_view decimalSeparator = ".");

}  // namespace qv
