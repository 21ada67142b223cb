// Number: the library's numeric value, one 80-bit extended-precision value.
//
// Floating-point operands are rounded as they enter: a float, double or long
// double on the right of an operator (and a float given to the constructor)
// is printed as fixed-point text with SET_DECIMAL decimals and read back, so
// that with the default "2" the double 0.1 enters as the decimal 0.10, not as
// its own base-2 value widened. SET_DECIMAL is read anew for every rounded
// operand. Integer, text and Number operands enter exactly, and the results of
// arithmetic are never rounded. docs/numbers.md lists the choices for ties,
// division by zero and operands too long for the rounding text.
#pragma once

#include <concepts>
#include <limits>
#include <type_traits>

class Number;

// The seven kinds of right operand that the operators take.
// clang-format mistakes the pointer types below for comparisons.
// clang-format off
template <typename T>
concept NumberOperand =
    std::same_as<T, int> || std::same_as<T, long> || std::same_as<T, float> ||
    std::same_as<T, double> || std::same_as<T, long double> || std::same_as<T, Number> ||
    std::is_same_v<std::decay_t<T>, const char*> || std::is_same_v<std::decay_t<T>, char*>;
// clang-format on

class Number {
  public:
    Number() = default;
    Number(int v) : value(v) {}
    Number(long v) : value(static_cast<long double>(v)) {}
    Number(float v);  // rounded to SET_DECIMAL decimals
    Number(double v) : value(v) {}
    Number(long double v) : value(v) {}
    Number(const char* text);  // read as a decimal text; nullptr is 0
    Number(const Number&) = default;
    ~Number() = default;

    // Assignment and arithmetic store the exact result of the operation with
    // the operand's value; only the operand is rounded, never the result.
    // Division by zero gives an infinity (0 / 0: not a number), as the
    // extended format does.
    template <NumberOperand T>
    Number& operator=(const T& v) {
        value = operandValue(v);
        return *this;
    }
    Number& operator=(const Number&) = default;
    template <NumberOperand T>
    Number& operator+=(const T& v) {
        value += operandValue(v);
        return *this;
    }
    template <NumberOperand T>
    Number& operator-=(const T& v) {
        value -= operandValue(v);
        return *this;
    }
    template <NumberOperand T>
    Number& operator*=(const T& v) {
        value *= operandValue(v);
        return *this;
    }
    template <NumberOperand T>
    Number& operator/=(const T& v) {
        value /= operandValue(v);
        return *this;
    }

    // Comparisons: 1 when the relation holds between the stored value and the
    // operand's value, else 0. Neither the Number nor any setting changes.
    template <NumberOperand T>
    int operator==(const T& v) const {
        return value == operandValue(v) ? 1 : 0;
    }
    template <NumberOperand T>
    int operator!=(const T& v) const {
        return value != operandValue(v) ? 1 : 0;
    }
    template <NumberOperand T>
    int operator<(const T& v) const {
        return value < operandValue(v) ? 1 : 0;
    }
    template <NumberOperand T>
    int operator<=(const T& v) const {
        return value <= operandValue(v) ? 1 : 0;
    }
    template <NumberOperand T>
    int operator>(const T& v) const {
        return value > operandValue(v) ? 1 : 0;
    }
    template <NumberOperand T>
    int operator>=(const T& v) const {
        return value >= operandValue(v) ? 1 : 0;
    }

    // 1 when the value is +0 or -0, else 0.
    int operator!() const { return value == 0 ? 1 : 0; }
    // The stored value, unchanged.
    operator long double() const { return value; }

    // A floating-point operand rounded to SET_DECIMAL decimals: the value of
    // its fixed-point text read back.
    static long double roundDecimal(long double v);

  private:
    // The value an operand of each kind enters with.
    static long double operandValue(int v) { return v; }
    static long double operandValue(long v) { return static_cast<long double>(v); }
    static long double operandValue(float v) { return roundDecimal(v); }
    static long double operandValue(double v) { return roundDecimal(v); }
    static long double operandValue(long double v) { return roundDecimal(v); }
    static long double operandValue(const char* text);
    static long double operandValue(const Number& n) { return n.value; }

    long double value = 0;
};

static_assert(sizeof(Number) == sizeof(long double) && std::is_standard_layout_v<Number>,
              "a Number is nothing but its extended value");
static_assert(std::numeric_limits<long double>::digits >= 64,
              "Number needs at least the 80-bit extended precision");
