// The open documents of one kora-batch run, loaded from files, with the main
// thread's queue they all share and the streams they write to.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "batch_host.h"
#include "settings/settings.h"
#include "solve/main_thread_queue.h"
#include "solve/system_document.h"

namespace kora::cli {

class BatchWorkspace {
public:
    BatchWorkspace(const Settings& settings, std::ostream& out, std::ostream& err);
    const Settings& settings() const { return settings_; }
    // Every document must be idle.
    ~BatchWorkspace();
    BatchWorkspace(const BatchWorkspace&) = delete;
    BatchWorkspace& operator=(const BatchWorkspace&) = delete;

    // Opens a model (or, for ".RES", a results) file as a new document;
    // null when it cannot be read (the reason is on stderr).
    SystemDocument* Open(const std::string& fileName);
    SystemDocument* Find(const std::string& fileName);
    // The ordinary close: refused while the document runs, and kept (with
    // a note on stderr) when it holds results that were never saved.
    void Close(const std::string& fileName);

    MainThreadQueue& queue() { return queue_; }
    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    bool showProgress() const { return showProgress_; }
    void NoteProgressShown() { progressShown_ = true; }
    bool progressShown() const { return progressShown_; }

    // Message boxes shown by scripts: each is a script error.
    void NoteProblem() { ++problems_; }
    int problems() const { return problems_; }

private:
    struct Entry {
        std::string fileName;
        std::unique_ptr<BatchHost> host;
        std::unique_ptr<SystemDocument> document;
    };

    Entry* FindEntry(const std::string& fileName);

    const Settings& settings_;
    std::ostream& out_;
    std::ostream& err_;
    MainThreadQueue queue_;
    std::vector<std::unique_ptr<Entry>> entries_;
    bool showProgress_ = false;
    bool progressShown_ = false;
    int problems_ = 0;
};

} // namespace kora::cli
