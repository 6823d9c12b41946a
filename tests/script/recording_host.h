// A Host that records the message boxes shown, for the script tests.
#pragma once

#include <string>
#include <vector>

#include "solve/base/host.h"

namespace kora::testing {

struct ShownBox {
    std::string text;
    std::string title;
};

class RecordingHost : public Host {
public:
    void RunOnMainThread(const std::function<void()>& work) override { work(); }
    void SetStatus(const std::string&) override {}
    void UpdateProgress(const winintegrator&, const std::string&) override {}
    void ShowErrorReport(const std::vector<std::string>&) override {}
    void WarningBox(const std::string& text, const std::string& title) override {
        boxes.push_back({text, title});
    }
    Answer Ask(const std::string&, const std::string&) override { return Answer::Cancel; }
    void Beep() override {}

    std::vector<ShownBox> boxes;
};

} // namespace kora::testing
