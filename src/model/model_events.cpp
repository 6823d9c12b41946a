// Events applied between the segments of a run, and Locate, which finds a
// statement's span in the model text for the script commands.
#include <cmath>

#include "krm_parser.h"
#include "lexical.h"
#include "postfix_words.h"

namespace kora {
namespace {

template <typename List> auto* FindNamed(List& list, const std::string& name) {
    for (auto& statement : list)
        if (!statement.name.empty() && statement.name == name) return &statement;
    return static_cast<decltype(&list[0])>(nullptr);
}

// By index: compiling may intern numbers and so grow the constant list.
bool Reevaluate(KRMparser& model, size_t index) {
    double value = 0.0;
    const Statement& constant = model.constants[index];
    if (model.Compile(kModeGeneral, constant.text, constant.start, value, nullptr, nullptr,
                      false) == 0)
        return false;
    model.constants[index].value = value;
    model.constants[index].changed = true;
    return true;
}

bool Found(const KRMparser& model, const Statement& statement, std::string& text, int32_t& offset,
           int32_t& length, bool returnText) {
    offset = statement.offset;
    length = statement.length;
    if (returnText) {
        std::string whole = model.WholeText();
        size_t begin = std::min(static_cast<size_t>(offset), whole.size());
        text = whole.substr(begin, static_cast<size_t>(length));
    }
    return true;
}

} // namespace

bool KRMparser::ApplyEvent(const TextLines& modelLines, bool rebuildForm) {
    if (eventIndex >= events.size()) return true;
    lines = &modelLines;
    for (Statement& constant : constants)
        constant.changed = false;

    const double time = events[eventIndex].eventTime;
    bool anyChanged = false;
    for (; eventIndex < events.size() && events[eventIndex].eventTime == time; ++eventIndex) {
        const Statement& event = events[eventIndex];
        tCurrent = t0 + std::fabs(time - t0);
        if (Statement* variable = FindNamed(equations, event.name)) {
            variable->value = event.value;
        } else if (Statement* constant = FindNamed(constants, event.name)) {
            // Re-read against the constants' present values.
            constant->text = event.text;
            constant->start = event.start;
            if (!Reevaluate(*this, static_cast<size_t>(constant - constants.data()))) return false;
            anyChanged = true;
        }
    }
    // Constants defined from a changed one follow it, in list order.
    if (anyChanged) {
        for (size_t i = 0; i < constants.size(); ++i) {
            if (!constants[i].changed) continue;
            const std::string name = constants[i].name;
            for (size_t j = i + 1; j < constants.size(); ++j) {
                if (constants[j].text.find(name) == std::string::npos) continue;
                if (!Reevaluate(*this, j)) return false;
            }
        }
    }
    return rebuildForm ? BuildForm() : true;
}

bool KRMparser::Locate(const TextLines& modelLines, std::string& text, int32_t& offset,
                       int32_t& length, bool returnText) {
    lines = &modelLines;
    if (errorSink != nullptr) errorSink->ClearError();
    const bool readable = ReadStatements();
    // Locate only answers; a reading failure is not reported.
    if (errorSink != nullptr) errorSink->ClearError();
    if (!readable) return false;

    for (const Statement& keyword : keywordLines) {
        int32_t position = 0;
        if (!Expect(text, position, keyword.name)) continue;
        if (keyword.text.empty()) return false;
        return Found(*this, keyword, text, offset, length, returnText);
    }
    int32_t position = 0;
    if (Expect(text, position, "@")) return false;
    if (text.find('=') == std::string::npos) return false;
    std::string name;
    if (!ReadName(text, position, name)) return false;
    const bool derivative = Expect(text, position, "'");
    if (!Expect(text, position, "=")) return false;
    const Statement* statement =
        derivative ? FindNamed(equations, name) : FindNamed(assignments, name);
    if (statement == nullptr) return false;
    return Found(*this, *statement, text, offset, length, returnText);
}

} // namespace kora
