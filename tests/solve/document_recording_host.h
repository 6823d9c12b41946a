// The hosts of the document tests: a main-thread queue driven by the test's own
// thread, and a record of everything the document showed.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/app_host.h"
#include "base/document_host.h"
#include "model/run_size.h"
#include "no_steady_state_model.h"
#include "settings/settings.h"
#include "solve/main_thread_queue.h"
#include "solve/system_document.h"
#include "temp_files.h"

namespace kora::testing {

// One object plays the document's view, the application and the list of
// open documents.
class TestHost : public DocumentHost, public AppHost, public DocumentList {
public:
    explicit TestHost(MainThreadQueue& queue) : queue_(queue) {}

    void PostToMainThread(std::function<void()> work) override {
        ++posts;
        queue_.Post(std::move(work));
    }
    void SetStatus(const std::string& text) override {
        if (text == "SOLVING") solving = true;
        if (text == "COMPUTING") computing = true;
        statuses.push_back(text);
        if (onStatus) onStatus(text);
    }
    void ShowProgress(const ProgressSnapshot& progress) override {
        if (progress.phase == ProgressSnapshot::Phase::Running) ++progressCalls;
    }
    void SetRunning(bool running) override { runningCalls.push_back(running); }
    void ResultsChanged() override {}
    void ShowErrorReport(const std::vector<std::string>& lines) override {
        errorReports.push_back(lines);
    }
    void SelectModelSpan(int32_t offset, int32_t length) override {
        selectedSpans.push_back({offset, length});
    }
    void ShowModelWarnings(const std::vector<ModelWarning>& shown) override {
        modelWarnings.push_back(shown);
    }
    void WarningBox(const std::string& text, const std::string& title) override {
        boxes.push_back(title + "|" + text);
        if (onBox) onBox();
    }
    Answer Ask(const std::string& text, const std::string&) override {
        if (onAsk) onAsk(text);
        return answer;
    }
    bool ConfirmLargeRun(const RunSize& size, int64_t) override {
        largeRuns.push_back(size.values);
        return runLarge;
    }
    std::vector<std::string> EditorLines() override { return editor; }
    bool TextModified() override { return modified; }
    std::string SaveDocument() override { return {}; }
    bool SaveCurrentResults() override { return false; }

    void Beep() override { ++beeps; }
    void ReportInternalError(const std::string& what) override { internalErrors.push_back(what); }
    void OpenMessagesWindow(const std::string& writer, const std::string& caption) override {
        captions[writer] = caption;
        messages[writer]; // found or created
        finished.erase(writer);
    }
    void AppendMessages(const std::string& writer, const std::string& text) override {
        messages[writer] += text;
        if (onWrite) onWrite();
    }
    void FinishMessagesWindow(const std::string& writer) override { finished.insert(writer); }
    void ShowSteadyStateReport(const std::string& writer, const std::string& caption,
                               std::shared_ptr<const SsReport> report) override {
        reportWriters.push_back(writer);
        reports.push_back(caption);
        reportObjects.push_back(std::move(report));
    }
    DocumentList& documents() override { return *this; }

    bool IsOpen(const std::string& fileName) override { return open.count(fileName) > 0; }
    bool Open(const std::string& fileName) override {
        open.insert(fileName);
        return true;
    }
    void Activate(const std::string&) override {}
    void Close(const std::string& fileName) override {
        open.erase(fileName);
        closed.push_back(fileName);
    }

    std::string Messages() const {
        return messages.empty() ? std::string() : messages.begin()->second;
    }

    std::vector<std::string> editor;
    std::vector<std::vector<std::string>> errorReports;
    std::vector<std::pair<int32_t, int32_t>> selectedSpans;
    std::vector<std::string> boxes;
    std::vector<std::vector<ModelWarning>> modelWarnings; // per script start
    std::map<std::string, std::string> messages;
    std::set<std::string> finished;
    std::vector<std::string> reports;
    std::vector<std::string> reportWriters; // full file names, one per report
    std::vector<std::shared_ptr<const SsReport>> reportObjects;
    std::vector<std::string> statuses;
    std::set<std::string> open;
    std::vector<std::string> closed;
    std::map<std::string, std::string> captions;
    std::vector<bool> runningCalls;
    std::vector<std::string> internalErrors;
    Answer answer = Answer::Cancel;
    std::vector<int64_t> largeRuns; // the sizes asked about
    bool runLarge = false;
    bool modified = false;
    bool solving = false;   // a solve has started
    bool computing = false; // a steady state has started its computation
    std::atomic<int> posts{0};
    int progressCalls = 0;
    int beeps = 0;
    std::function<void(const std::string&)> onStatus;
    std::function<void()> onWrite;
    std::function<void(const std::string&)> onAsk;
    std::function<void()> onBox; // inside the box's event loop

private:
    MainThreadQueue& queue_;
};

// An oscillator over a span far too long to finish before a stop arrives, and
// settings that make the Taylor method take small steps through it.
inline const std::vector<std::string> kEndless = {"X' = X - X*Y", "Y' = X*Y - Y", "X = 2",
                                                  "Y = 1",        "hr = 1",       "tf = 1e5"};
inline Settings EndlessSettings() {
    Settings settings;
    settings.method = "Taylor";
    settings.minOrder = settings.maxOrder = 2;
    settings.mLogTolerance = 12;
    return settings;
}

// Runs the main thread's queue until every document is idle; a hang guard
// fails the test instead of blocking it forever.
inline void RunUntilIdle(MainThreadQueue& queue, const std::vector<SystemDocument*>& documents) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    queue.RunUntil([&] {
        if (std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "script did not end";
            for (SystemDocument* document : documents)
                document->StopMenuClick();
        }
        for (SystemDocument* document : documents)
            if (document->IsRunning()) return false;
        return true;
    });
}

} // namespace kora::testing
