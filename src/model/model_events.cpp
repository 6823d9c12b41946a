// Events applied between the segments of a run, and Locate, which finds a
// statement's span in the model text for the script commands.
#include <cmath>

#include "krm_parser.h"
#include "lexical.h"
#include "postfix_words.h"
#include "state_evaluator.h"

namespace kora {
namespace {

constexpr int kCodeEventFailed = 44;

template <typename List> auto* FindNamed(List& list, const std::string& name) {
    for (auto& statement : list)
        if (!statement.name.empty() && statement.name == name) return &statement;
    return static_cast<decltype(&list[0])>(nullptr);
}

bool EventFailed(KRMparser& model, const Statement& event) {
    model.SetError(kCodeEventFailed, event.text);
    return false;
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

// The values of timed events [first, end) at the present state: constant
// values as built (variables) or re-read (constants), others computed.
bool TimedEventValues(KRMparser& model, size_t first, size_t end, std::vector<double>& values) {
    StateEvaluator state(model);
    bool loaded = false;
    for (size_t i = first; i < end; ++i) {
        const Statement& event = model.events[i];
        double value = event.value;
        if (!event.code.empty()) {
            int error = 0;
            if (!loaded) {
                std::vector<double> y;
                for (const Statement& equation : model.equations)
                    y.push_back(equation.value);
                if (!state.Load(model.tCurrent, y.data(), error)) return EventFailed(model, event);
                loaded = true;
            }
            value = state.Value(event.code, error);
            if (error != 0) return EventFailed(model, event);
        } else if (FindNamed(model.constants, event.name) != nullptr &&
                   model.Compile(kModeGeneral, event.text, event.start, value, nullptr, nullptr,
                                 false) == 0) {
            return false;
        }
        values.push_back(value);
    }
    return true;
}

// Constants defined from a changed one follow it, in list order; a constant
// that an event has set to a value of its own keeps that value.
bool FollowFrom(KRMparser& model, const std::vector<bool>& keep) {
    for (size_t i = 0; i < model.constants.size(); ++i) {
        if (!model.constants[i].changed) continue;
        const std::string name = model.constants[i].name;
        for (size_t j = i + 1; j < model.constants.size(); ++j) {
            if ((j < keep.size() && keep[j]) || model.constants[j].setByEvent) continue;
            if (model.constants[j].text.find(name) == std::string::npos) continue;
            if (!Reevaluate(model, j)) return false;
        }
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
    tCurrent = t0 + std::fabs(time - t0);
    bool anyChanged = false;
    std::vector<bool> keep(constants.size(), false);
    while (eventIndex < events.size() && events[eventIndex].eventTime == time) {
        // One @ line: every value is computed before any is assigned.
        size_t end = eventIndex;
        while (end < events.size() && events[end].eventTime == time &&
               events[end].eventGroup == events[eventIndex].eventGroup)
            ++end;
        std::vector<double> values;
        if (!TimedEventValues(*this, eventIndex, end, values)) return false;
        for (size_t i = eventIndex; i < end; ++i) {
            const Statement& event = events[i];
            if (Statement* variable = FindNamed(equations, event.name)) {
                variable->value = values[i - eventIndex];
            } else if (Statement* constant = FindNamed(constants, event.name)) {
                // A constant value is re-read against the constants' present
                // values whenever a constant it uses changes.
                if (event.code.empty()) {
                    constant->text = event.text;
                    constant->start = event.start;
                } else {
                    keep[static_cast<size_t>(constant - constants.data())] = true;
                }
                constant->value = values[i - eventIndex];
                constant->changed = true;
                anyChanged = true;
            }
        }
        eventIndex = static_cast<uint32_t>(end);
    }
    if (anyChanged && !FollowFrom(*this, keep)) return false;
    return rebuildForm ? BuildForm() : true;
}

bool KRMparser::FollowChangedConstants() {
    return FollowFrom(*this, {});
}

bool KRMparser::AssignEventValues(const ModelEvent& event, const double* values) {
    for (Statement& constant : constants)
        constant.changed = false;
    bool anyChanged = false;
    std::vector<bool> keep(constants.size(), false);
    for (size_t i = 0; i < event.assignments.size(); ++i) {
        const EventSetting& assignment = event.assignments[i];
        const size_t index = static_cast<size_t>(assignment.index);
        if (assignment.variable) {
            equations[index].value = values[i];
        } else {
            constants[index].value = values[i];
            constants[index].changed = true;
            constants[index].setByEvent = true;
            keep[index] = true;
            anyChanged = true;
        }
    }
    return !anyChanged || FollowFrom(*this, keep);
}

bool KRMparser::Locate(const TextLines& modelLines, std::string& text, int32_t& offset,
                       int32_t& length, bool returnText) {
    lines = &modelLines;
    if (errorSink != nullptr) errorSink->ClearError();
    if (!locateMemo.Follow(*this, modelLines)) {
        const bool readable = ReadStatements();
        // Locate only answers; a reading failure is not reported.
        if (errorSink != nullptr) errorSink->ClearError();
        if (!readable) {
            locateMemo.Forget();
            return false;
        }
        locateMemo.Remember(*this, modelLines);
    }
    const auto found = [&](const LocateMemo::Place& place) {
        offset = place.offset;
        length = place.length;
        if (returnText) {
            const std::string whole = WholeText();
            const size_t begin = std::min(static_cast<size_t>(offset), whole.size());
            text = whole.substr(begin, static_cast<size_t>(length));
        }
        return true;
    };
    for (const LocateMemo::Place& keyword : locateMemo.keywordLines()) {
        int32_t position = 0;
        if (!Expect(text, position, keyword.name)) continue;
        if (keyword.emptyText) return false;
        return found(keyword);
    }
    int32_t position = 0;
    if (Expect(text, position, "@")) return false;
    if (text.find('=') == std::string::npos) return false;
    std::string name;
    if (!ReadName(text, position, name)) return false;
    const bool derivative = Expect(text, position, "'");
    if (!Expect(text, position, "=")) return false;
    const LocateMemo::Place* statement = locateMemo.Find(derivative, name);
    return statement != nullptr && found(*statement);
}

} // namespace kora
