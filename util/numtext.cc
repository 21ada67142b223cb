// Number texts: fixed-point and integer printing into the two result areas,
// reading decimal texts, and the character and zero tests.
#include "util/numtext.h"

#include <locale.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "util/settings.h"

namespace {

constexpr int TEXT_MAX = static_cast<int>(NUMBER_TEXT_SIZE) - 1;

// The exact decimal expansion of the smallest extended value has 16445
// fraction digits; every printed digit after these is '0'.
constexpr int EXACT_DECIMALS_MAX = 16500;

char fixedArea[NUMBER_TEXT_SIZE];
char integerArea[NUMBER_TEXT_SIZE];

// Switches this thread to the "C" numeric conventions for the lifetime of the
// object, so that an application's setlocale never turns the '.' of printed
// and read numbers into another character.
class ClassicNumbers {
  public:
    ClassicNumbers() {
        static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
        if (classic != locale_t{}) previous = uselocale(classic);
    }
    ~ClassicNumbers() {
        if (previous != locale_t{}) uselocale(previous);
    }
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

  private:
    locale_t previous{};
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool widthFits(int width) {
    return width >= -TEXT_MAX && width <= TEXT_MAX;
}

// Prints into `area` with the checked length; an overlong text leaves the
// empty text behind.
template <typename... Args>
char* printInto(char (&area)[NUMBER_TEXT_SIZE], const char* format, Args... args) {
    ClassicNumbers classic;
    int n = std::snprintf(area, sizeof area, format, args...);
    if (n < 0 || n > TEXT_MAX) area[0] = '\0';
    return area;
}

// The first character of the decimal sign setting.
char decimalSign() {
    return setting(SET_TIZEDESJEL)[0];
}

}  // namespace

char* formatFixed(long double value, int width, int decimals) {
    fixedArea[0] = '\0';
    if (decimals < 0) decimals = -1;
    // "0." and the decimals alone already exceed the area beyond this count.
    if (!widthFits(width) || decimals > TEXT_MAX - 2) return fixedArea;
    return printInto(fixedArea, "%*.*Lf", width, decimals, value);
}

char* formatInteger(int value, int width, int decimals) {
    integerArea[0] = '\0';
    if (!widthFits(width) || decimals > TEXT_MAX - 2) return integerArea;
    if (decimals <= 0) return printInto(integerArea, "%*d", width, value);
    return printInto(integerArea, "%*.*Lf", width, decimals, static_cast<long double>(value));
}

std::string fixedText(long double value, int width, int decimals) {
    decimals = decimals < 0 ? -1 : std::min(decimals, EXACT_DECIMALS_MAX);
    std::string text;
    {
        ClassicNumbers classic;
        int n = std::snprintf(nullptr, 0, "%.*Lf", decimals, value);
        if (n < 0) return text;
        text.resize(static_cast<std::size_t>(n) + 1);
        std::snprintf(text.data(), text.size(), "%.*Lf", decimals, value);
        text.resize(static_cast<std::size_t>(n));
    }
    long long wanted = width < 0 ? -static_cast<long long>(width) : width;
    if (static_cast<long long>(text.size()) < wanted) {
        std::size_t pad = static_cast<std::size_t>(wanted) - text.size();
        if (width > 0)
            text.insert(0, pad, ' ');
        else
            text.append(pad, ' ');
    }
    return text;
}

long double parseReal(const char* text) {
    if (text == nullptr) return 0;
    const char* p = text;
    while (isSpace(*p)) ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0;
    for (; isDigit(*p); ++p) ++digits;
    if (*p == '.')
        for (++p; isDigit(*p); ++p) ++digits;
    if (digits == 0) return 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (isDigit(*q)) {
            while (isDigit(*q)) ++q;
            p = q;
        }
    }
    // Only the decimal form is handed on, so that the standard conversion
    // never reads more (a hexadecimal "0x1A" reads as 0, "inf" as no number).
    std::string number(start, p);
    ClassicNumbers classic;
    return std::strtold(number.c_str(), nullptr);
}

int isDigitChar(char c) {
    return isDigit(c) ? 1 : 0;
}

int isNumberChar(char c) {
    if (c == '\0') return 0;
    return (isDigit(c) || c == '-' || c == decimalSign()) ? 1 : 0;
}

int isNumberText(const char* text) {
    if (text == nullptr) return 1;
    const char sign = decimalSign();
    for (const char* p = text; *p != '\0'; ++p)
        if (!isDigit(*p) && *p != '-' && *p != sign) return 0;
    return 1;
}

int isZero(int value) {
    return value == 0 ? 1 : 0;
}
int isZero(long value) {
    return value == 0 ? 1 : 0;
}
int isZero(double value) {
    return value == 0 ? 1 : 0;
}
int isZero(long double value) {
    return value == 0 ? 1 : 0;
}
int isZero(const char* text) {
    return parseReal(text) == 0 ? 1 : 0;
}

char* stripTrailingZeros(char* text) {
    if (text == nullptr) return text;
    std::string_view view(text);
    std::size_t last = view.find_last_not_of('0');
    if (last != std::string_view::npos) text[last + 1] = '\0';
    return text;
}
