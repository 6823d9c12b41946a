#include "setting_declaration.h"

#include <charconv>
#include <cmath>

#include "common/text_trim.h"

namespace kora {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

size_t SkipBlanks(std::string_view text, size_t position) {
    while (position < text.size() && IsBlank(text[position]))
        ++position;
    return position;
}

size_t SkipDigits(std::string_view text, size_t position) {
    while (position < text.size() && IsDigit(text[position]))
        ++position;
    return position;
}

// Length of the decimal literal starting at `begin`, 0 when there is none.
size_t DecimalLiteralLength(std::string_view text, size_t begin) {
    size_t p = begin;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    const size_t intStart = p;
    p = SkipDigits(text, p);
    size_t mantissaDigits = p - intStart;
    if (p < text.size() && text[p] == '.') {
        const size_t fracStart = p + 1;
        const size_t fracEnd = SkipDigits(text, fracStart);
        mantissaDigits += fracEnd - fracStart;
        if (mantissaDigits > 0) p = fracEnd;
    }
    if (mantissaDigits == 0) return 0;
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
        size_t q = p + 1;
        if (q < text.size() && (text[q] == '+' || text[q] == '-')) ++q;
        const size_t expEnd = SkipDigits(text, q);
        if (expEnd > q) p = expEnd; // an "e" without digits is not part of it
    }
    return p - begin;
}

struct Range {
    double start = 0.0;
    double end = 0.0;
    double step = 0.0;
};

// Reads "start [: end [: step]]"; a ":" must be followed by a number.
std::optional<Range> ReadRange(std::string_view valuePart) {
    size_t position = 0;
    Range range;
    auto start = ReadDecimalNumber(valuePart, position);
    if (!start) return std::nullopt;
    range.start = range.end = *start;
    position = SkipBlanks(valuePart, position);
    if (position < valuePart.size() && valuePart[position] == ':') {
        ++position;
        auto end = ReadDecimalNumber(valuePart, position);
        if (!end) return std::nullopt;
        range.end = *end;
        position = SkipBlanks(valuePart, position);
        if (position < valuePart.size() && valuePart[position] == ':') {
            ++position;
            auto step = ReadDecimalNumber(valuePart, position);
            if (!step) return std::nullopt;
            range.step = *step;
        }
    }
    if (range.step == 0.0) range.step = 1.0;
    return range;
}

// The k-th value is start + k*step rather than a running sum, so rounding does
// not accumulate; a value past the end by less than 1e-9 of a step is the end.
bool AppendRangeValues(const std::string& name, const Range& range,
                       std::vector<std::string>& assignments) {
    if (range.start > range.end) return true; // an empty list skips the loop body
    if (range.step < 0.0) return false;       // would count down forever
    const double span = (range.end - range.start) / range.step + 1e-9;
    const size_t room = kMaxSettingValues - assignments.size();
    if (!(span < static_cast<double>(room))) return false; // also catches inf and NaN
    const size_t count = static_cast<size_t>(std::floor(span)) + 1;
    for (size_t k = 0; k < count; ++k) {
        const double value =
            std::fmin(range.start + static_cast<double>(k) * range.step, range.end);
        assignments.push_back(name + "=" + FormatSettingValue(value));
    }
    return true;
}

} // namespace

std::optional<double> ReadDecimalNumber(std::string_view text, size_t& position) {
    const size_t begin = SkipBlanks(text, position);
    const size_t length = DecimalLiteralLength(text, begin);
    if (length == 0) return std::nullopt;
    std::string_view literal = text.substr(begin, length);
    // from_chars refuses a leading "+", and is independent of the C locale.
    if (literal.front() == '+') literal.remove_prefix(1);
    double value = 0.0;
    auto [end, error] = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (error != std::errc() || end != literal.data() + literal.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    position = begin + length;
    return value;
}

std::string FormatSettingValue(double value) {
    char buffer[32];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    (void)error; // 32 characters always hold a 15-digit general-format double
    return std::string(buffer, end);
}

bool ExpandSettingDeclarations(const std::vector<std::string>& declarations,
                               std::vector<std::string>& assignments) {
    assignments.clear();
    std::string previousName;
    for (const std::string& declaration : declarations) {
        const size_t equals = declaration.find('=');
        std::string name;
        std::string_view valuePart;
        if (equals == std::string::npos) {
            if (previousName.empty()) return false; // first declaration names nothing
            name = previousName;
            valuePart = declaration;
        } else {
            name =
                std::string(TrimSpaceAndControls(std::string_view(declaration).substr(0, equals)));
            valuePart = std::string_view(declaration).substr(equals + 1);
        }
        if (name.empty()) return false;
        const auto range = ReadRange(valuePart);
        if (!range || !AppendRangeValues(name, *range, assignments)) return false;
        previousName = std::move(name);
    }
    return true;
}

} // namespace kora
