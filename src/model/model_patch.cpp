#include "model_patch.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "lexical.h"
#include "model_functions.h"
#include "postfix_words.h"

namespace kora {
namespace {

// A number the compiler takes without a range error.
bool IsUsableValue(double value) {
    const double magnitude = std::fabs(value);
    return magnitude == 0.0 || (magnitude >= DBL_MIN && magnitude < DBL_MAX);
}

// The right side: one optional sign, then a number, then nothing. A number
// read after the sign must not carry a sign of its own ("- -1").
bool ReadSignedNumber(const std::string& text, int32_t position, double& value) {
    const int32_t size = static_cast<int32_t>(text.size());
    position = SkipBlanks(text, position);
    const bool negative = position < size && text[position] == '-';
    if (position < size && (text[position] == '-' || text[position] == '+')) ++position;
    position = SkipBlanks(text, position);
    if (position >= size ||
        !(std::isdigit(static_cast<unsigned char>(text[position])) || text[position] == '.'))
        return false;
    if (!ReadNumber(text, position, value)) return false;
    if (SkipBlanks(text, position) != size) return false;
    if (negative) value = -value;
    return IsUsableValue(value);
}

bool IsPredefinedName(const KRMparser& model, const std::string& name) {
    static const char* const kUsual[] = {"t0", "tf", "hr", "Npoints", "_time", "_pi"};
    for (const char* usual : kUsual)
        if (name == usual) return true;
    return std::find(model.predefinedNames.begin(), model.predefinedNames.end(), name) !=
           model.predefinedNames.end();
}

// Whether `name` occurs as a name in `text` from `start` on. Runs starting
// with a digit are numbers (an exponent's letter is no name).
bool MentionsName(const std::string& text, int32_t start, const std::string& name) {
    size_t i = static_cast<size_t>(std::max(start, 0));
    while (i < text.size()) {
        if (!IsNameChar(text[i])) {
            ++i;
            continue;
        }
        const size_t begin = i;
        while (i < text.size() && IsNameChar(text[i]))
            ++i;
        if (IsNameStart(text[begin]) && text.compare(begin, i - begin, name) == 0 &&
            i - begin == name.size())
            return true;
    }
    return false;
}

// Constants and initial values are computed once, at the build: one whose
// right side reads `assignment`'s name would have to be computed again.
bool FeedsOtherValues(KRMparser& model, const Statement& assignment) {
    for (const Statement& other : model.assignments) {
        if (&other == &assignment) continue;
        if (model.nameIndexes.definitions.Find(model.definitions, other.name) >= 0) continue;
        if (MentionsName(other.text, other.start, assignment.name)) return true;
    }
    return false;
}

// rand[] in compiled code draws at the build in every branch of a
// conditional, where an evaluation draws only in the chosen one.
bool CodeDraws(const std::vector<int32_t>& code) {
    for (size_t i = 0; i < code.size(); ++i) {
        if (code[i] == kFunctionRand) return true;
        if (WordHasOperand(code[i])) ++i;
    }
    return false;
}

bool HasWhatPatchingCannotFollow(const KRMparser& model) {
    if (!model.events.empty() || !model.eventLines.empty() || !model.stateEvents.empty())
        return true;
    for (const auto* list : {&model.equations, &model.definitions})
        for (const Statement& statement : *list)
            if (CodeDraws(statement.code)) return true;
    return false;
}

void TakeText(Statement& statement, const ValueLine& line) {
    statement.text = line.text;
    statement.length = static_cast<int32_t>(line.text.size());
    statement.start = line.start;
}

void ShiftOffsets(KRMparser& model, int32_t lineOffset, int32_t delta) {
    for (auto* list : {&model.equations, &model.constants, &model.definitions, &model.events,
                       &model.keywordLines, &model.eventLines, &model.assignments})
        ShiftOffsetsAfter(*list, lineOffset, delta);
}

// The new value goes where the build's Assign put the old one: an initial
// value, else the named constant.
bool PatchLine(KRMparser& model, const ValueLine& before, const ValueLine& after,
               int32_t lineOffset) {
    if (IsPredefinedName(model, after.name)) return false;
    const int32_t found = model.nameIndexes.assignments.Find(model.assignments, after.name);
    if (found < 0) return false;
    Statement& assignment = model.assignments[static_cast<size_t>(found)];
    if (assignment.offset != lineOffset || assignment.text != before.text) return false;
    if (FeedsOtherValues(model, assignment)) return false;
    const int32_t variable = model.nameIndexes.equations.Find(model.equations, after.name);
    if (variable >= 0) {
        model.equations[static_cast<size_t>(variable)].value = after.value;
    } else {
        const int32_t index = model.nameIndexes.constants.Find(model.constants, after.name);
        if (index < 0) return false;
        Statement& constant = model.constants[static_cast<size_t>(index)];
        if (constant.offset != lineOffset || constant.text != before.text ||
            constant.state == kStateUndefined)
            return false;
        TakeText(constant, after);
        constant.value = after.value;
    }
    TakeText(assignment, after);
    return true;
}

// What the build computes from the values besides the constants: each
// definition's value at the start, and the check that every definition and
// equation can be computed there (the compiler's errors on the branch taken
// are the evaluator's). Any failure is left to a build to report.
bool ComputesAtStart(KRMparser& model) {
    std::vector<double> dependent(model.equations.size());
    for (size_t i = 0; i < dependent.size(); ++i)
        dependent[i] = model.equations[i].value;
    std::vector<double> constants(model.constants.size());
    for (size_t j = 0; j < constants.size(); ++j)
        constants[j] = model.constants[j].value;
    std::vector<double> auxiliary(model.definitions.size(), 0.0);
    std::vector<double> stack(std::max<size_t>(1, model.stackDepth) + 1);
    int error = 0;
    for (size_t j = 0; j < auxiliary.size(); ++j) {
        auxiliary[j] = model.Evaluate(1, static_cast<int>(j), model.t0, dependent.data(),
                                      auxiliary.data(), constants.data(), error, stack.data());
        if (error != 0) return false;
        model.definitions[j].value = auxiliary[j];
    }
    for (size_t i = 0; i < dependent.size(); ++i) {
        model.Evaluate(0, static_cast<int>(i), model.t0, dependent.data(), auxiliary.data(),
                       constants.data(), error, stack.data());
        if (error != 0) return false;
    }
    return true;
}

} // namespace

bool ReadValueLine(const KRMparser& model, const TextLines& lines, size_t i, ValueLine& line) {
    if (i >= lines.size() || ContinuesOnNextLine(lines[i])) return false;
    if (i > 0 && ContinuesOnNextLine(lines[i - 1])) return false;
    line.text = LogicalLine(lines, i);
    int32_t position = 0;
    for (const std::string& keyword : model.keywords)
        if (!keyword.empty() && Expect(line.text, position, keyword)) return false;
    if (Expect(line.text, position, "@")) return false;
    if (!ReadName(line.text, position, line.name) || line.name[0] == '_') return false;
    if (!Expect(line.text, position, "=")) return false;
    line.start = position;
    return ReadSignedNumber(line.text, position, line.value);
}

bool ValueLineChanges(const KRMparser& model, const TextLines& built, const TextLines& next,
                      std::vector<ValueLineChange>& changes) {
    changes.clear();
    if (built.size() != next.size()) return false;
    int32_t offset = 0;
    for (size_t i = 0; i < built.size(); ++i) {
        if (built[i] != next[i]) {
            ValueLineChange change;
            change.line = i;
            change.offset = offset;
            change.delta =
                static_cast<int32_t>(next[i].size()) - static_cast<int32_t>(built[i].size());
            if (!ReadValueLine(model, built, i, change.before) ||
                !ReadValueLine(model, next, i, change.after) ||
                change.before.name != change.after.name)
                return false;
            changes.push_back(std::move(change));
        }
        offset += static_cast<int32_t>(built[i].size()) + 2;
    }
    std::reverse(changes.begin(), changes.end());
    return true;
}

bool PatchValues(KRMparser& model, const TextLines& built, const TextLines& next) {
    if (built.size() != next.size() || HasWhatPatchingCannotFollow(model)) return false;
    if (model.errorSink != nullptr) model.errorSink->ClearError();
    std::vector<ValueLineChange> changes;
    if (!ValueLineChanges(model, built, next, changes)) return false;
    for (const ValueLineChange& change : changes) {
        if (!PatchLine(model, change.before, change.after, change.offset)) return false;
        ShiftOffsets(model, change.offset, change.delta);
    }
    return changes.empty() || ComputesAtStart(model);
}

} // namespace kora
