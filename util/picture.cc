// The picture engine: number, date, logical and text pictures in both
// directions, and numberPicture.
//
// Number, date and back-direction results are built in a std::string and
// copied to the caller's target at the end, and a text picture writes target
// character k from source character k only, so a target that is the source
// itself still works.
#include "util/picture.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#include "number/number.h"
#include "util/hungarian.h"
#include "util/numtext.h"
#include "util/settings.h"
#include "util/text.h"

namespace {

bool hasPrefix(std::string_view picture, std::string_view prefix) {
    return picture.substr(0, prefix.size()) == prefix;
}

// True for the four kinds of picture: date, number, logical and text.
bool isKnownKind(std::string_view picture) {
    return hasPrefix(picture, "@D") || hasPrefix(picture, "@N ") || hasPrefix(picture, "@L") ||
           hasPrefix(picture, "@S");
}

bool isDigit(char c) {
    return isDigitChar(c) != 0;
}

char* writeText(char* target, std::string_view text) {
    std::memcpy(target, text.data(), text.size());
    target[text.size()] = '\0';
    return target;
}

// The decimal sign: the first character of SET_TIZEDESJEL ('.' should the
// value ever be empty).
char decimalSign() {
    const char sign = setting(SET_TIZEDESJEL)[0];
    return sign == '\0' ? '.' : sign;
}

std::string trimmedBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// A number laid out by a number picture ("@N " and the positions).
//
// The row R is as long as the picture; the integer digits are walked from the
// decimal sign leftwards, the fraction positions are filled from the source's
// decimals and then '0', and the prefix's three positions are dropped at the
// end. The source is read without its surrounding blanks, so that a
// right-aligned field value lays out like a trimmed one.
std::string numberLayout(std::string_view source, std::string_view picture) {
    const char d = decimalSign();
    const char sign[2] = {d, '\0'};
    const std::string s = trimmedBlanks(source);
    const std::string p(picture);
    const int w = static_cast<int>(p.size());
    const int l = static_cast<int>(s.size());
    const int sd = findText(sign, s.c_str());
    // The decimal sign is looked for behind the "@N " prefix only: a sign
    // such as ' ' or 'N' would otherwise be found in the prefix and turn
    // every position into a fraction position.
    const int inPositions = findText(sign, p.c_str() + 3);
    const int pd = inPositions < 0 ? -1 : inPositions + 3;
    std::string r(p.size(), ' ');

    // The text the integer walk reads, and where it starts in it.
    std::string walked = s;
    int j = sd >= 0 ? sd - 1 : l - 1;
    if (pd >= 0) {
        r[pd] = d;
        if (sd < 0) {
            std::fill(r.begin() + pd + 1, r.end(), '0');
            j = l - 1;
        } else {
            // Re-print the source with one decimal more than it has, and take
            // its decimals from there: a source whose value stops before the
            // decimal sign ("12,5" read with '.') shows the decimals of that
            // value. Positions follow the re-print's own point, so a source
            // such as ".5" or "05.5" keeps its digits in place.
            walked = fixedText(parseReal(s.c_str()), 0, l - sd);
            const std::size_t point = walked.find('.');
            for (int k = 1; pd + k < w; ++k) {
                bool fromSource =
                    point != std::string::npos && sd + k < l && point + k < walked.size();
                r[pd + k] = fromSource ? walked[point + k] : '0';
            }
            j = point == std::string::npos ? static_cast<int>(walked.size()) - 1
                                           : static_cast<int>(point) - 1;
        }
    }

    // The integer walk. With a decimal sign in the picture it is a blanking
    // walk: the first source character that is no digit turns every later
    // position blank. Without one, such a character only uses up a position.
    const bool blankingWalk = pd >= 0;
    bool blanking = false;
    int i = pd >= 0 ? pd : w - 1;
    while (j >= 0 && i >= 0) {
        while (i >= 0 && !isDigit(p[i])) {
            r[i] = blanking ? ' ' : p[i];
            --i;
        }
        if (i >= 0) {
            if (isDigit(walked[j]))
                r[i] = blanking ? ' ' : walked[j];
            else if (blankingWalk)
                blanking = true;
        }
        --i;
        --j;
    }
    for (int k = std::min(i, w - 1); k >= 0; --k) r[k] = ' ';

    // The sign stands right before the leftmost digit, in place of a comma
    // the walk copied there. When the digits used up the picture, it takes
    // the first shown position: a negative number never shows as positive.
    const bool negative = !s.empty() && s[0] == '-';
    if (i >= -1) {
        if (i + 2 < w && r[i + 1] == ' ' && r[i + 2] == ',')
            r[i + 2] = negative ? '-' : ' ';
        else if (negative && i + 1 < w)
            r[i + 1] = '-';
    } else if (negative && w > 3) {
        r[3] = '-';
    }
    return r.substr(3);
}

// A date laid out by SET_DATEFORMAT: 'Y' takes the source's characters from
// position 0, 'M' from 4, 'D' from 6, each letter with its own counter; other
// format characters are copied. A position past the source's end shows as a
// blank.
std::string dateLayout(std::string_view source) {
    if (source.empty()) return {};
    const std::string format = setting(SET_DATEFORMAT);
    const std::size_t s = source.size();
    std::size_t used = s <= 4 ? s : s <= 6 ? s + 1 : s + 2;
    used = std::min(used, format.size());
    std::size_t year = 0, month = 4, day = 6;
    std::string out;
    for (std::size_t k = 0; k < used; ++k) {
        const char f = format[k];
        std::size_t* counter = f == 'Y' ? &year : f == 'M' ? &month : f == 'D' ? &day : nullptr;
        if (counter == nullptr) {
            out += f;
        } else {
            out += *counter < s ? source[*counter] : ' ';
            ++*counter;
        }
    }
    return out;
}

bool isAsciiLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isDigit(c);
}

// One source character through one template character.
char templateChar(char code, char c, const std::string& lower, const std::string& upper) {
    switch (code) {
        case 'A':
            return isDigit(c) ? '.' : c;
        case 'N':
            return (isAsciiLetterOrDigit(c) ||
                    containsChar(static_cast<unsigned char>(c), lower.c_str()) ||
                    containsChar(static_cast<unsigned char>(c), upper.c_str()))
                       ? c
                       : '.';
        case '9':
            return (isDigit(c) || c == '-') ? c : ' ';
        case '#':
            return (isDigit(c) || c == '-' || c == ' ') ? c : '.';
        case 'L':
            return c == 'T' ? 'I' : 'N';
        case '!': {
            char one[2] = {c, '\0'};
            upperHun(one);
            return one[0] != '\0' ? one[0] : c;
        }
        default:
            return c;
    }
}

// A text laid out by "@S<width>[functions][ <template>]" into target. Target
// character k comes from source character k alone, so the target may be the
// source itself, and a wide picture needs no buffer of its own.
char* textLayout(char* target, char* source, std::string_view picture) {
    std::size_t width = 0;
    for (std::size_t k = 2; k < picture.size() && isDigit(picture[k]); ++k)
        width =
            std::min<std::size_t>(width * 10 + static_cast<std::size_t>(picture[k] - '0'), INT_MAX);
    const std::size_t blank = picture.find(' ');
    const std::string_view functions = picture.substr(0, blank);
    const std::string_view pattern =
        blank == std::string_view::npos ? std::string_view() : picture.substr(blank + 1);
    if (functions.find('!') != std::string_view::npos) upperHun(source);

    const std::size_t length = std::strlen(source);
    std::size_t k = 0;
    if (!pattern.empty()) {
        const std::string lower = setting(SET_HUN_LOWER);
        const std::string upper = setting(SET_HUN_UPPER);
        for (; k < width && k < length && k < pattern.size(); ++k)
            target[k] = templateChar(pattern[k], source[k], lower, upper);
    }
    for (; k < width && k < length; ++k) target[k] = source[k];
    for (; k < width; ++k) target[k] = ' ';
    target[width] = '\0';
    return target;
}

char* display(char* target, char* source, std::string_view picture) {
    if (hasPrefix(picture, "@D")) return writeText(target, dateLayout(source));
    if (hasPrefix(picture, "@N ")) return writeText(target, numberLayout(source, picture));
    if (hasPrefix(picture, "@L")) return writeText(target, source[0] == 'T' ? "I" : "N");
    if (hasPrefix(picture, "@S")) return textLayout(target, source, picture);
    std::memmove(target, source, std::strlen(source) + 1);
    return target;
}

char* storeBack(char* target, const char* source, std::string_view picture) {
    const std::string_view text(source);
    std::string out;
    if (hasPrefix(picture, "@N")) {
        // The digits and the decimal sign; a '-' before the first digit is
        // the number's sign and leads the stored text.
        const char d = decimalSign();
        bool negative = false;
        bool digitSeen = false;
        for (char c : text) {
            if (isDigit(c) || c == d) {
                out += c;
                digitSeen = digitSeen || isDigit(c);
            } else if (c == '-' && !digitSeen) {
                negative = true;
            }
        }
        if (negative) out.insert(0, 1, '-');
    } else if (hasPrefix(picture, "@D")) {
        std::copy_if(text.begin(), text.end(), std::back_inserter(out), isDigit);
    } else if (hasPrefix(picture, "@S")) {
        out = text;
    } else {
        return target;
    }
    return writeText(target, out);
}

}  // namespace

char* applyPicture(char* target, char* source, const char* picture, int direction) {
    if (target == nullptr) return target;
    char empty[1] = {'\0'};
    if (source == nullptr) source = empty;
    const std::string_view pictureText = picture == nullptr ? "" : picture;
    if (direction == 0) return display(target, source, pictureText);
    return storeBack(target, source, pictureText);
}

char* numberPicture(char* target, const Number& number, const char* picture) {
    if (target == nullptr) return target;
    const std::string_view pictureText = picture == nullptr ? "" : picture;
    // Only '9' counts, and only '.' marks the point, whatever the decimal
    // sign setting holds.
    const std::size_t point = pictureText.find('.');
    const auto nines = [](std::string_view part) {
        return static_cast<int>(std::count(part.begin(), part.end(), '9'));
    };
    const int whole = nines(pictureText.substr(0, point));
    const int decimals = point == std::string_view::npos ? 0 : nines(pictureText.substr(point + 1));
    std::string text = trimmedBlanks(fixedText(static_cast<long double>(number), whole, decimals));
    // A picture of no known kind hands the text through whole, so it is held
    // to what formatFixed's area holds: the caller cannot size a target for a
    // number of any length.
    if (!isKnownKind(pictureText) && text.size() >= NUMBER_TEXT_SIZE) text.clear();
    return applyPicture(target, text.data(), picture, 0);
}
