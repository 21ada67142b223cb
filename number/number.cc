// Number: the constructors that read a setting or a text, and the rounding
// of floating-point operands.
#include "number/number.h"

#include <cmath>

#include "util/numtext.h"
#include "util/settings.h"

namespace {

// Rounding to more decimals than this leaves every extended value as it is:
// the spacing of the smallest values is about 3.6e-4951.
constexpr int IDENTITY_DECIMALS = 4960;

// True when v lies exactly halfway between two values of `decimals`
// decimals: v * 10^decimals ends in exactly .5, which holds when the lowest
// set bit of v has the weight 2^-(decimals + 1), i.e. v * 2^(decimals + 1)
// is an odd integer.
bool isHalfway(long double v, int decimals) {
    long double scaled = std::ldexp(v, decimals + 1);
    if (!std::isfinite(scaled) || scaled != std::trunc(scaled)) return false;
    return std::fmod(scaled, 2.0L) != 0;
}

}  // namespace

Number::Number(float v) : value(roundDecimal(v)) {}

Number::Number(const char* text) : value(parseReal(text)) {}

long double Number::operandValue(const char* text) {
    return parseReal(text);
}

long double Number::roundDecimal(long double v) {
    // Below -1 counts as -1: the printing default of six decimals.
    int decimals = settingInt(SET_DECIMAL);
    if (decimals < -1) decimals = -1;
    const int digits = decimals < 0 ? 6 : decimals;
    if (!std::isfinite(v) || digits > IDENTITY_DECIMALS) return v;
    // A value exactly halfway is rounded away from zero: moving it by one
    // unit in the last place away from zero makes the nearest rounding of
    // the print take that side.
    long double printed = v;
    if (isHalfway(v, digits))
        printed = std::nextafter(v, std::copysign(std::numeric_limits<long double>::infinity(), v));
    const char* text = formatFixed(printed, 18, decimals);
    if (text[0] != '\0') return parseReal(text);
    // The text does not fit the result area of formatFixed: round through a
    // text of its own length instead.
    return parseReal(fixedText(printed, 0, decimals).c_str());
}
