#include "batch_workspace.h"

#include <unistd.h>

#include <filesystem>

#include "common/file_names.h"
#include "model/model_text.h"
#include "results/results_file.h"

namespace kora::cli {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

} // namespace

BatchWorkspace::BatchWorkspace(const Settings& settings, std::ostream& out, std::ostream& err)
    : settings_(settings), out_(out), err_(err), showProgress_(isatty(STDERR_FILENO) != 0) {}

BatchWorkspace::~BatchWorkspace() = default;

BatchWorkspace::Entry* BatchWorkspace::FindEntry(const std::string& fileName) {
    for (const auto& entry : entries_)
        if (SameFile(entry->fileName, fileName)) return entry.get();
    return nullptr;
}

SystemDocument* BatchWorkspace::Find(const std::string& fileName) {
    Entry* entry = FindEntry(fileName);
    return entry != nullptr ? entry->document.get() : nullptr;
}

SystemDocument* BatchWorkspace::Open(const std::string& fileName) {
    if (SystemDocument* open = Find(fileName)) return open;
    const bool results = IsResultsFileName(fileName);
    TextLines lines;
    if (!results && ReadTextLines(fileName, lines) != TextReadStatus::Ok) {
        err_ << "kora-batch: cannot read " << fileName << '\n';
        return nullptr;
    }
    auto entry = std::make_unique<Entry>();
    entry->fileName = fileName;
    entry->host = std::make_unique<BatchHost>(*this, std::move(lines));
    entry->document = std::make_unique<SystemDocument>(*entry->host, settings_, fileName);
    if (results) {
        const ResultsFileResult read =
            ReadResultsFile(entry->document->results(), fileName, '.', settings_.stockColours);
        if (!read) {
            err_ << "kora-batch: cannot read " << fileName << ": " << read.reason << '\n';
            return nullptr;
        }
        entry->document->MarkHasResults();
    }
    entries_.push_back(std::move(entry));
    return entries_.back()->document.get();
}

void BatchWorkspace::Close(const std::string& fileName) {
    Entry* entry = FindEntry(fileName);
    if (entry == nullptr) return;
    SystemDocument& document = *entry->document;
    if (document.IsRunning()) {
        err_ << "kora-batch: " << fileName << " is running and stays open\n";
        return;
    }
    if (document.HasUnsavedResults() && !settings_.noAskSaveResults) {
        if (entry->host->Ask("Save current RESULTS?", fileName) != Answer::No) {
            err_ << "kora-batch: the unsaved results of " << fileName
                 << " stay in memory until the end\n";
            return;
        }
    }
    std::erase_if(entries_, [entry](const auto& e) { return e.get() == entry; });
}

} // namespace kora::cli
