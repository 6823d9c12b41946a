#include "name_index.h"

#include <bit>
#include <cmath>

#include "krm_parser.h"

namespace kora {

void NameIndex::Reset() {
    first_.clear();
    indexed_ = 0;
}

void NameIndex::CatchUp(const std::vector<Statement>& list) {
    if (list.size() < indexed_) Reset();
    for (; indexed_ < list.size(); ++indexed_)
        if (!list[indexed_].name.empty())
            first_.try_emplace(list[indexed_].name, static_cast<int32_t>(indexed_));
}

int32_t NameIndex::Find(const std::vector<Statement>& list, std::string_view name) {
    if (name.empty()) return -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        CatchUp(list);
        const auto found = first_.find(name);
        if (found == first_.end()) return -1;
        const auto position = static_cast<size_t>(found->second);
        if (position < list.size() && list[position].name == name) return found->second;
        Reset(); // the list changed behind the index
    }
    return -1;
}

namespace {

// -0 and +0 compare equal, so they share a key.
uint64_t NumberKey(double value) {
    return std::bit_cast<uint64_t>(value == 0.0 ? 0.0 : value);
}

bool IsInterned(const Statement& constant, double value) {
    return constant.name.empty() && constant.value == value;
}

} // namespace

void NumberIndex::Reset() {
    first_.clear();
    indexed_ = 0;
}

void NumberIndex::CatchUp(const std::vector<Statement>& constants) {
    if (constants.size() < indexed_) Reset();
    for (; indexed_ < constants.size(); ++indexed_) {
        const Statement& constant = constants[indexed_];
        // NaN equals nothing, so a scan never shares it.
        if (constant.name.empty() && !std::isnan(constant.value))
            first_.try_emplace(NumberKey(constant.value), static_cast<int32_t>(indexed_));
    }
}

int32_t NumberIndex::Find(const std::vector<Statement>& constants, double value) {
    if (std::isnan(value)) return -1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        CatchUp(constants);
        const auto found = first_.find(NumberKey(value));
        if (found == first_.end()) return -1;
        const auto position = static_cast<size_t>(found->second);
        if (position < constants.size() && IsInterned(constants[position], value))
            return found->second;
        Reset();
    }
    return -1;
}

} // namespace kora
