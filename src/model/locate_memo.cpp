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
    if (!valid_ || keywords_ != model.keywords) return false;
    // Only a value line whose number changed is followed: it stays one
    // assignment of the same name, only its length and the offsets after it
    // move, exactly as a reading of the new lines would place them.
    std::vector<ValueLineChange> changes;
    if (!ValueLineChanges(model, lines_, lines, changes)) return false;
    for (const ValueLineChange& change : changes) {
        Place* assignment = nullptr;
        for (Place& place : assignments_)
            if (place.offset == change.offset && place.name == change.before.name)
                assignment = &place;
        if (assignment == nullptr) return false;
        assignment->length = static_cast<int32_t>(change.after.text.size());
        for (auto* list : {&keywordLines_, &equations_, &assignments_})
            ShiftOffsetsAfter(*list, change.offset, change.delta);
        lines_[change.line] = lines[change.line];
    }
    return true;
}

const LocateMemo::Place* LocateMemo::Find(bool derivative, std::string_view name) const {
    for (const Place& place : derivative ? equations_ : assignments_)
        if (!place.name.empty() && place.name == name) return &place;
    return nullptr;
}

} // namespace kora
