// Events triggered by a condition: `@ [condition; options] name = value, ...`,
// as read from the text and compiled by the build.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "condition_switches.h"

namespace kora {

// One place where the model switches: a relation or a flag[] inside an
// event's trigger, an equation or a definition. The solvers locate the sign
// changes of its switching function.
struct ModelSwitch {
    std::vector<int32_t> code; // the compiled code holding it, ends with word 0
    ConditionSwitch at;
    std::string text; // the statement it belongs to
    // The equation (kind 0) or definition (kind 1) holding it, as Evaluate
    // counts them; kind -1 for a trigger.
    int32_t kind = -1;
    int32_t index = -1;
};

// The target of one assignment: a dependent variable or a constant.
struct EventSetting {
    std::string name;
    bool variable = false;
    int32_t index = 0;         // into equations or constants
    std::vector<int32_t> code; // the right side
    int32_t start = 0;         // of the right side in the event's text
};

struct ModelEvent {
    std::string text; // the logical line, comment removed
    int32_t offset = 0;
    int32_t start = 0;             // just after the "["
    std::vector<int32_t> trigger;  // the condition's code: true when not 0
    std::vector<int32_t> switches; // its switches, indexes into KRMparser::switches
    std::vector<int32_t> delay;    // empty: no delay
    std::vector<int32_t> priority; // empty: no priority
    bool persistent = true;
    bool initialValue = true;    // the trigger's value before the run starts
    bool valuesAtTrigger = true; // right sides computed at trigger time
    std::vector<EventSetting> assignments;
};

} // namespace kora
