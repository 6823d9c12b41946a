// Records the message boxes shown, for the script tests.
#pragma once

#include <string>
#include <vector>

#include "base/document_host.h"

namespace kora::testing {

struct ShownBox {
    std::string text;
    std::string title;
};

class RecordingHost : public WarningBoxes {
public:
    void WarningBox(const std::string& text, const std::string& title) override {
        boxes.push_back({text, title});
    }

    std::vector<ShownBox> boxes;
};

} // namespace kora::testing
