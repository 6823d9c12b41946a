// Events triggered by a condition: `@ [condition; options] name = value, ...`,
// as read from the text and compiled by the build.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kora {

// Relations of a condition: the condition holds when its switching
// function, left - right, compares with 0 as the operator says.
enum class Relation : int32_t { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };

bool RelationHolds(Relation relation, double switching);

// One place where the model switches: an event's trigger, or a condition
// inside an equation. The solvers locate the zeros of left - right.
struct SwitchingFunction {
    Relation relation = Relation::Greater;
    std::vector<int32_t> left;  // compiled code, ends with word 0
    std::vector<int32_t> right; // compiled code, ends with word 0; empty: 0
    std::string text;           // the statement it belongs to
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
    int32_t start = 0; // just after the "["
    // The trigger: the switching functions it is made of, all of which hold.
    std::vector<int32_t> switches; // indexes into KRMparser::switchingFunctions
    std::vector<int32_t> delay;    // empty: no delay
    std::vector<int32_t> priority; // empty: no priority
    bool persistent = true;
    bool initialValue = true;    // the trigger's value before the run starts
    bool valuesAtTrigger = true; // right sides computed at trigger time
    std::vector<EventSetting> assignments;
};

} // namespace kora
