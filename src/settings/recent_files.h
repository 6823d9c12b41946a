// The recent-files list: at most nine names, newest first. A document's name
// leaves the list when the document opens and returns to the top when it
// closes. Stored as the values "MRU1" to "MRU9".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kora {

class KeyValueStore;

class RecentFiles {
public:
    static constexpr size_t kCapacity = 9;

    // Puts the name at the top (an equal entry moves there); "" is ignored.
    void Add(const std::string& fileName);
    void Remove(const std::string& fileName);
    const std::vector<std::string>& entries() const { return entries_; }

    // The File menu's order: every model file first, then the ".RES" files.
    std::vector<std::string> MenuOrder() const;

    // Reads the values that exist, in order.
    void Load(const KeyValueStore& store);
    // Writes one value per entry; values beyond the list's length stay.
    void Save(KeyValueStore& store) const;

private:
    std::vector<std::string> entries_;
};

} // namespace kora
