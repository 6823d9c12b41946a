// Hash lookups over the model's statement lists, so that building a model
// costs time linear in its size instead of a scan of a list per name.
//
// Each index answers exactly what a front-to-back scan of its list would
// (the first statement of that name), for lists that only grow between
// resets: it catches up on statements appended since the last lookup, and a
// hit is checked against the list, so a list that was cleared or reordered
// behind its back is indexed afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kora {

struct Statement;

class NameIndex {
public:
    void Reset();
    // Position of the first statement named `name`, or -1. An empty name is
    // never found, as nameless statements (interned numbers) have no name.
    int32_t Find(const std::vector<Statement>& list, std::string_view name);

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    void CatchUp(const std::vector<Statement>& list);

    std::unordered_map<std::string, int32_t, Hash, std::equal_to<>> first_;
    size_t indexed_ = 0;
};

// The first nameless constant holding a given value, for the interning of
// numbers in compiled code.
class NumberIndex {
public:
    void Reset();
    int32_t Find(const std::vector<Statement>& constants, double value);

private:
    void CatchUp(const std::vector<Statement>& constants);

    std::unordered_map<uint64_t, int32_t> first_;
    size_t indexed_ = 0;
};

// The indexes of one model; KRMparser::Clear resets them.
struct ModelNameIndexes {
    NameIndex equations;
    NameIndex definitions;
    NameIndex constants;
    NameIndex assignments;
    NumberIndex numbers;

    void Reset() {
        equations.Reset();
        definitions.Reset();
        constants.Reset();
        assignments.Reset();
        numbers.Reset();
    }
};

} // namespace kora
