// The error sink a model writes its failures into; a front end shows it.
#pragma once

#include <cstdint>
#include <string>

namespace kora {

// Categories of an error: which string-table family its code belongs to.
inline constexpr int32_t kCategoryModel = 1;  // 32000 + code, "CRITICAL ERROR:"
inline constexpr int32_t kCategorySolver = 2; // 32650 + code, the solver's name

class ErrorDisplay {
public:
    virtual ~ErrorDisplay() = default;

    // Shows the error; the base sink only records it.
    virtual void Display() {}

    // Clears code and both texts (category is left as it was).
    void ClearError() {
        code = 0;
        detail.clear();
        context.clear();
    }

    int32_t code = 0;
    int32_t category = 0;
    std::string detail;  // a line of its own under the message
    std::string context; // appended to the message line
    void* owner = nullptr;
};

} // namespace kora
