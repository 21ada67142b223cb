// Conversions between numbers and their texts, shared by Number, the picture
// engine and the memo writer: fixed-point printing of an extended value,
// integer printing, reading a text as an extended value, and small tests on
// characters and number texts.
//
// Printing and reading always use '.' as the decimal point, whatever the
// process locale or SET_TIZEDESJEL hold. docs/numbers.md describes the texts
// that do not fit the result areas.
#pragma once

#include <cstddef>
#include <string>

// Size of the result areas of formatFixed and formatInteger: 31 characters
// and the terminator.
inline constexpr std::size_t NUMBER_TEXT_SIZE = 32;

// Prints value as fixed-point text with `decimals` decimals (any negative
// count: the default of six), right-aligned with blanks in at least `width`
// characters (a negative width left-aligns, 0 sets no minimum; a longer text
// is not cut). The value is rounded to nearest at the last printed digit.
// Returns a process-wide area that the next call overwrites. A text that
// would need more than 31 characters is refused: the area holds the empty text.
char* formatFixed(long double value, int width, int decimals = -1);

// Prints value right-aligned in at least `width` characters. A negative
// `decimals` prints no decimals; 0 does the same; 1 or more prints that many
// zero decimals after a '.', the whole text then right-aligned in `width`.
// Returns its own process-wide area; a text longer than 31 characters is
// refused with the empty text, as for formatFixed.
char* formatInteger(int value, int width, int decimals = -1);

// The text formatFixed would print, without the 31-character limit, for
// callers that must not lose a long text. Decimals beyond the exact binary
// expansion of any extended value add only zeros and are capped.
std::string fixedText(long double value, int width, int decimals);

// Reads a decimal number: leading white space, an optional sign, digits with
// an optional '.' and fraction, an optional exponent ("e" or "E", an optional
// sign, digits). Reading stops at the first character that does not fit; a
// text without a number (also nullptr) gives 0. Magnitudes beyond the
// extended range give an infinity, those below it 0 or the nearest tiny value.
long double parseReal(const char* text);

// 1 for the bytes '0' to '9', else 0.
int isDigitChar(char c);
// 1 for a digit, the first character of SET_TIZEDESJEL or '-', else 0.
int isNumberChar(char c);
// 1 when every character passes isNumberChar (the empty text too), else 0.
// Neither the sign's place nor the count of decimal signs is examined.
int isNumberText(const char* text);

// 1 when the value is zero, else 0. The text form reads the text with
// parseReal, so a text without a number counts as zero.
int isZero(int value);
int isZero(long value);
int isZero(double value);
int isZero(long double value);
int isZero(const char* text);

// Ends the text right after its last character that is not '0' and returns
// it. A text of zeros only, or the empty text, stays as it is. No decimal
// point is looked for: "100" becomes "1", "2.000" becomes "2.".
char* stripTrailingZeros(char* text);
