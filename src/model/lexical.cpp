#include "lexical.h"

#include <cstdlib>
#include <locale.h>

namespace kora {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int32_t SkipDigits(std::string_view text, int32_t position) {
    while (position < static_cast<int32_t>(text.size()) && IsDigit(text[position]))
        ++position;
    return position;
}

// The desktop application sets the user's locale, which may use "," as the
// decimal separator; model numbers always use ".".
locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

} // namespace

int32_t SkipBlanks(std::string_view text, int32_t position) {
    while (position < static_cast<int32_t>(text.size()) && IsBlank(text[position]))
        ++position;
    return position;
}

bool ReadName(std::string_view text, int32_t& position, std::string& name) {
    int32_t begin = SkipBlanks(text, position);
    if (begin >= static_cast<int32_t>(text.size()) || !IsNameStart(text[begin])) return false;
    int32_t end = begin + 1;
    while (end < static_cast<int32_t>(text.size()) && IsNameChar(text[end]))
        ++end;
    name.assign(text.substr(begin, end - begin));
    position = end;
    return true;
}

bool ReadNumber(std::string_view text, int32_t& position, double& value) {
    const int32_t size = static_cast<int32_t>(text.size());
    int32_t begin = SkipBlanks(text, position);
    int32_t at = begin;
    if (at < size && (text[at] == '+' || text[at] == '-')) ++at;
    int32_t mantissaStart = at;
    at = SkipDigits(text, at);
    int32_t intDigits = at - mantissaStart;
    int32_t fracDigits = 0;
    if (at < size && text[at] == '.') {
        int32_t fracEnd = SkipDigits(text, at + 1);
        fracDigits = fracEnd - (at + 1);
        if (intDigits + fracDigits > 0) at = fracEnd;
    }
    if (intDigits + fracDigits == 0) return false;
    if (at < size && (text[at] == 'e' || text[at] == 'E')) {
        int32_t expAt = at + 1;
        if (expAt < size && (text[expAt] == '+' || text[expAt] == '-')) ++expAt;
        int32_t expEnd = SkipDigits(text, expAt);
        if (expEnd > expAt) at = expEnd;
    }
    std::string digits(text.substr(begin, at - begin));
    value = strtod_l(digits.c_str(), nullptr, ClassicLocale());
    position = at;
    return true;
}

bool Expect(std::string_view text, int32_t& position, std::string_view literal) {
    int32_t at = SkipBlanks(text, position);
    if (text.substr(at).substr(0, literal.size()) != literal) return false;
    position = at + static_cast<int32_t>(literal.size());
    return true;
}

} // namespace kora
