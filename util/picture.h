// The picture engine: how a stored value is shown, and how a shown text goes
// back to its stored form.
//
// A picture is a text whose first characters select its kind:
//   "@N " number: digit characters are digit positions, the SET_TIZEDESJEL
//         text marks the decimal sign, every other character is copied
//         ("@N 999,999.99" shows 1234.5 as "  1,234.50");
//   "@D"  date: the eight-digit text YYYYMMDD laid out by SET_DATEFORMAT;
//   "@L"  logical: 'T' shows as "I", anything else as "N";
//   "@S"  text: "@S<width>[functions][ <template>]", cut or padded to width;
//         the function '!' upper-cases, a template filters character by
//         character (A: no digit, N: letter or digit, 9: digit or '-',
//         #: digit, '-' or blank, L: logical letter, !: upper case).
// Any other picture is no picture. docs/picture.md describes the layout rules
// and the choices for unusual sources.
#pragma once

class Number;

// direction 0: lays the stored source out for display into target.
// Any other direction: takes a displayed source back to its stored form:
//   "@N" keeps the digits and the decimal sign, and a '-' before the first
//   digit as the stored text's sign; "@D" keeps the digits; "@S" copies;
//   any other picture (also "@L") leaves target exactly as it was.
// The caller's target must hold the result: for a number picture the
// picture's length minus 2, for a text picture its width plus 1, for a date
// picture SET_DATEFORMAT's length plus 1, for a logical picture 2 bytes,
// otherwise the source's length plus 1. A text picture with the function '!' upper-cases the
// caller's source in place; no other picture changes the source. Returns target.
char* applyPicture(char* target, char* source, const char* picture, int direction);

// Shows a Number by a picture: the value is rounded to as many decimals as
// the picture has '9's after its first '.', then laid out by applyPicture.
// A picture of no known kind yields the rounded number unlaid, at most 31
// characters, so a target of 32 bytes holds it: a number that needs more
// gives the empty text, as formatFixed does. Other pictures need the target
// applyPicture names. Returns target.
char* numberPicture(char* target, const Number& number, const char* picture);
