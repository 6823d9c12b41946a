#include "recent_files.h"

#include <algorithm>

#include "common/file_names.h"
#include "key_value_store.h"

namespace kora {

namespace {

std::string ValueName(size_t index) {
    return "MRU" + std::to_string(index + 1);
}

} // namespace

void RecentFiles::Add(const std::string& fileName) {
    if (fileName.empty()) return;
    Remove(fileName);
    entries_.insert(entries_.begin(), fileName);
    if (entries_.size() > kCapacity) entries_.resize(kCapacity);
}

void RecentFiles::Remove(const std::string& fileName) {
    std::erase(entries_, fileName);
}

std::vector<std::string> RecentFiles::MenuOrder() const {
    std::vector<std::string> ordered = entries_;
    std::stable_partition(ordered.begin(), ordered.end(),
                          [](const std::string& name) { return !IsResultsFileName(name); });
    return ordered;
}

void RecentFiles::Load(const KeyValueStore& store) {
    entries_.clear();
    for (size_t i = 0; i < kCapacity; ++i)
        if (const auto value = store.Get(ValueName(i)); value && !value->empty())
            entries_.push_back(*value);
}

void RecentFiles::Save(KeyValueStore& store) const {
    for (size_t i = 0; i < entries_.size(); ++i)
        store.Set(ValueName(i), entries_[i]);
}

} // namespace kora
