// Where the last reading for Locate found the model's statements, kept with
// the lines it read. A script's assignments and writes change one value line
// at a time, so Locate can follow the lines instead of reading the whole
// model again for every command of a sweep.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kora {

class KRMparser;

class LocateMemo {
public:
    struct Place {
        std::string name;
        int32_t offset = 0;
        int32_t length = 0;
        bool emptyText = false;
    };

    // Takes the statements `model` has just read from `lines`.
    void Remember(const KRMparser& model, const std::vector<std::string>& lines);
    void Forget();
    // Brings the memo to `lines`: true when they are the remembered lines,
    // or differ from them only in lines "name = number" that keep their
    // names; false when the model must be read again.
    bool Follow(const KRMparser& model, const std::vector<std::string>& lines);

    const std::vector<Place>& keywordLines() const { return keywordLines_; }
    // The first equation (derivative) or assignment of that name, or null.
    const Place* Find(bool derivative, std::string_view name) const;

private:
    bool valid_ = false;
    std::vector<std::string> lines_;
    std::vector<std::string> keywords_;
    std::vector<Place> keywordLines_;
    std::vector<Place> equations_;
    std::vector<Place> assignments_;
};

} // namespace kora
