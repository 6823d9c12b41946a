#include "script_command.h"

#include <algorithm>
#include <cassert>

#include "common/ascii_case.h"

namespace kora {

MatchResult Match(size_t row, std::string_view line) {
    assert(row < kScriptCommandTable.size());
    const ScriptCommandSignature& signature = kScriptCommandTable[row];
    const size_t n = signature.keyword.size();
    MatchResult result;
    if (signature.kind == ArgumentKind::None) {
        result.matched = EqualsIgnoringCase(line, signature.keyword);
    } else {
        result.matched =
            line.size() >= n && EqualsIgnoringCase(line.substr(0, n), signature.keyword);
    }
    if (result.matched) {
        result.code = signature.code;
        result.argumentStart = n;
        result.kind = signature.kind;
    }
    return result;
}

size_t FindCommandRow(std::string_view line) {
    for (size_t row = 0; row < kScriptCommandTable.size(); ++row) {
        if (Match(row, line).matched) return row;
    }
    return kScriptCommandTable.size();
}

std::vector<std::string> SplitArguments(std::string_view line, const MatchResult& match) {
    std::vector<std::string> arguments;
    if (match.kind == ArgumentKind::None) return arguments;
    std::string_view rest = line.substr(std::min(match.argumentStart, line.size()));
    if (match.kind == ArgumentKind::Text) {
        arguments.emplace_back(rest);
        return arguments;
    }
    size_t pieceStart = 0;
    for (size_t comma = rest.find(','); comma != std::string_view::npos;
         comma = rest.find(',', pieceStart)) {
        arguments.emplace_back(rest.substr(pieceStart, comma - pieceStart));
        pieceStart = comma + 1;
    }
    arguments.emplace_back(rest.substr(pieceStart));
    return arguments;
}

} // namespace kora
