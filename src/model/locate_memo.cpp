#include "locate_memo.h"

#include "krm_parser.h"
#include "model_patch.h"

namespace kora {
namespace {

std::vector<LocateMemo::Place> PlacesOf(const std::vector<Statement>& list) {
    std::vector<LocateMemo::Place> places;
    places.reserve(list.size());
    for (const Statement& statement : list)
        places.push_back(
            {statement.name, statement.offset, statement.length, statement.text.empty()});
    return places;
}

} // namespace

void LocateMemo::Remember(const KRMparser& model, const std::vector<std::string>& lines) {
    lines_ = lines;
    keywords_ = model.keywords;
    keywordLines_ = PlacesOf(model.keywordLines);
    equations_ = PlacesOf(model.equations);
    assignments_ = PlacesOf(model.assignments);
    valid_ = true;
}

void LocateMemo::Forget() {
    valid_ = false;
    lines_.clear();
}

bool LocateMemo::Follow(const KRMparser& model, const std::vector<std::string>& lines) {
    if (!valid_ || lines.size() != lines_.size() || keywords_ != model.keywords) return false;
    // Only a value line whose number changed is followed: it stays one
    // assignment of the same name, only its length and the offsets after it
    // move, exactly as a reading of the new lines would place them.
    int32_t offset = 0;
    std::vector<std::pair<size_t, int32_t>> changed;
    ValueLine before;
    ValueLine after;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i] != lines_[i]) {
            if (!ReadValueLine(model, lines_, i, before) ||
                !ReadValueLine(model, lines, i, after) || before.name != after.name)
                return false;
            Place* assignment = nullptr;
            for (Place& place : assignments_)
                if (place.offset == offset && place.name == before.name) assignment = &place;
            if (assignment == nullptr) return false;
            assignment->length = static_cast<int32_t>(after.text.size());
            changed.emplace_back(i, offset);
        }
        offset += static_cast<int32_t>(lines_[i].size()) + 2;
    }
    // From the last changed line up, so that each shift sees the old offsets.
    for (auto at = changed.rbegin(); at != changed.rend(); ++at) {
        const int32_t delta = static_cast<int32_t>(lines[at->first].size()) -
                              static_cast<int32_t>(lines_[at->first].size());
        for (auto* list : {&keywordLines_, &equations_, &assignments_})
            for (Place& place : *list)
                if (place.offset > at->second) place.offset += delta;
        lines_[at->first] = lines[at->first];
    }
    return true;
}

const LocateMemo::Place* LocateMemo::Find(bool derivative, std::string_view name) const {
    for (const Place& place : derivative ? equations_ : assignments_)
        if (!place.name.empty() && place.name == name) return &place;
    return nullptr;
}

} // namespace kora
