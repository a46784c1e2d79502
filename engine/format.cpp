#include "engine/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace qv {

std::string FormatGeneral(double value, std::string_view decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";

    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string text(buf);
    std::string out = value < 0 ? "-" : "";
    const size_t start = value < 0 ? 1 : 0;
    const size_t e = text.find('e');
    std::string digits = text.substr(start, 1) + text.substr(start + 2, e - start - 2);
    const int exponent = std::atoi(text.c_str() + e + 1);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    if (exponent >= -5 && exponent < 15) {
        if (exponent >= 0) {
            const size_t intDigits = static_cast<size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                out += digits + std::string(intDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, intDigits);
                out += decimalSeparator;
                out += digits.substr(intDigits);
            }
        } else {
            out += "0";
            out += decimalSeparator;
            out += std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        }
        return out;
    }
    out += digits.substr(0, 1);
    if (digits.size() > 1) {
        out += decimalSeparator;
        out += digits.substr(1);
    }
    return out + "E" + std::to_string(exponent);
}

std::string FormatGrouped2(double value, std::string_view thousandsSeparator,
                           std::string_view decimalSeparator) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    std::string text(buf);
    std::string sign;
    if (!text.empty() && text[0] == '-') {
        sign = "-";
        text.erase(0, 1);
    }
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) grouped += thousandsSeparator;
        grouped += whole[i];
    }
    // "-0.00" reads as zero.
    if (sign == "-" && whole == "0" && text.substr(dot + 1) == "00") sign.clear();
    return sign + grouped + std::string(decimalSeparator) + text.substr(dot + 1);
}

}  // namespace qv
