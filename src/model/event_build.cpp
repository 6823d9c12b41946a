// The build's step for events triggered by a condition: the "@ [" lines
// become compiled events, their triggers switching functions.
#include <string_view>

#include "event_text.h"
#include "krm_parser.h"
#include "lexical.h"
#include "postfix_words.h"

namespace kora {
namespace {

constexpr int kCodeBracketMissing = 8;
constexpr int kCodeEventTarget = 22;
constexpr int kCodeNotCondition = 40;
constexpr int kCodeUnknownOption = 43;

class EventCompiler {
public:
    EventCompiler(KRMparser& model, const Statement& line) : model_(model), line_(line) {}

    bool Run() {
        event_.text = line_.text;
        event_.offset = line_.offset;
        event_.start = line_.start;
        const int32_t close = MatchingClose(line_.text, line_.start, ']');
        if (close < 0) return Fail(kCodeBracketMissing);
        const std::vector<TextPiece> parts = SplitTopLevel(line_.text, line_.start, close, ';');
        if (!ReadTrigger(parts[0])) return false;
        for (size_t i = 1; i < parts.size(); ++i)
            if (!ReadOption(parts[i])) return false;
        if (!ReadAssignments(close + 1)) return false;
        model_.stateEvents.push_back(std::move(event_));
        return true;
    }

private:
    bool Fail(int code) {
        model_.SetError(code, line_.text);
        return false;
    }

    // Compiles text[begin, end) into code; any value is allowed.
    bool CompilePiece(int32_t begin, int32_t end, std::vector<int32_t>& code) {
        double value = 0.0;
        const std::string piece = line_.text.substr(0, static_cast<size_t>(end));
        return model_.Compile(kModeGeneral, piece, begin, value, &code, nullptr, false) != 0;
    }

    // A condition: code with at least one relation or flag[] in it, each of
    // them a switch the solvers locate.
    bool ReadTrigger(const TextPiece& piece) {
        if (!CompilePiece(piece.begin, piece.end, event_.trigger)) return false;
        std::vector<ConditionSwitch> found;
        FindConditionSwitches(event_.trigger, found);
        if (found.empty()) return Fail(kCodeNotCondition);
        for (const ConditionSwitch& at : found) {
            event_.switches.push_back(static_cast<int32_t>(model_.switchingFunctions.size()));
            model_.switchingFunctions.push_back({event_.trigger, at, line_.text});
        }
        return true;
    }

    // `word = value`: delay and priority take expressions, the others words.
    bool ReadOption(const TextPiece& piece) {
        int32_t position = piece.begin;
        std::string word;
        if (!ReadName(line_.text, position, word) || !Expect(line_.text, position, "="))
            return Fail(kCodeUnknownOption);
        if (word == kEventDelay) return CompilePiece(position, piece.end, event_.delay);
        if (word == kEventPriority) return CompilePiece(position, piece.end, event_.priority);
        std::string answer;
        if (!ReadName(line_.text, position, answer) || SkipBlanks(line_.text, position) < piece.end)
            return Fail(kCodeUnknownOption);
        const bool yes = answer == "yes" || answer == "true";
        const bool no = answer == "no" || answer == "false";
        if (word == kEventPersistent && (yes || no)) {
            event_.persistent = yes;
        } else if (word == kEventInitial && (yes || no)) {
            event_.initialValue = yes;
        } else if (word == kEventValues && (answer == "trigger" || answer == "fire")) {
            event_.valuesAtTrigger = answer == "trigger";
        } else {
            return Fail(kCodeUnknownOption);
        }
        return true;
    }

    bool ReadAssignments(int32_t begin) {
        const int32_t end = static_cast<int32_t>(line_.text.size());
        if (SkipBlanks(line_.text, begin) >= end) return Fail(kCodeEventTarget);
        for (const TextPiece& piece : SplitTopLevel(line_.text, begin, end, ',')) {
            int32_t position = piece.begin;
            EventSetting assignment;
            if (!ReadName(line_.text, position, assignment.name) ||
                !Expect(line_.text, position, "=") || !FindTarget(assignment))
                return Fail(kCodeEventTarget);
            assignment.start = position;
            if (!CompilePiece(position, piece.end, assignment.code)) return false;
            event_.assignments.push_back(std::move(assignment));
        }
        return true;
    }

    bool FindTarget(EventSetting& assignment) {
        const std::string& name = assignment.name;
        if (name[0] == '_') return false;
        int32_t index = model_.nameIndexes.equations.Find(model_.equations, name);
        if (index >= 0) {
            assignment.variable = true;
            assignment.index = index;
            return true;
        }
        index = model_.nameIndexes.constants.Find(model_.constants, name);
        if (index < 0 || model_.constants[static_cast<size_t>(index)].state == kStateUndefined)
            return false;
        assignment.index = index;
        return true;
    }

    KRMparser& model_;
    const Statement& line_;
    ModelEvent event_;
};

} // namespace

bool CompileStateEvents(KRMparser& model) {
    for (const Statement& line : model.eventLines)
        if (!EventCompiler(model, line).Run()) return false;
    return true;
}

} // namespace kora
