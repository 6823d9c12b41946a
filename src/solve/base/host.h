// The narrow interface through which the core reaches the user. The desktop
// application and kora-batch each implement it; the core never shows anything
// itself.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kora {

class winintegrator;

enum class Answer { Yes, No, Cancel };

class Host {
public:
    virtual ~Host() = default;

    // Runs `work` on the main thread and waits for it to finish.
    virtual void RunOnMainThread(const std::function<void()>& work) = 0;

    // Status text of a document (panel 0 of its status bar).
    virtual void SetStatus(const std::string& text) = 0;
    // Progress of a running solver; `methodLabel` is "TAYLOR" or "LSODA".
    virtual void UpdateProgress(const winintegrator& solver, const std::string& methodLabel) = 0;
    // The lines of the error dialog, as the error sink builds them.
    virtual void ShowErrorReport(const std::vector<std::string>& lines) = 0;
    // A warning message box.
    virtual void WarningBox(const std::string& text, const std::string& title) = 0;
    // A Yes/No/Cancel question.
    virtual Answer Ask(const std::string& text, const std::string& title) = 0;
    virtual void Beep() = 0;
};

} // namespace kora
