#include "workspace.h"

#include "base/document_host.h"
#include "common/file_names.h"
#include "common/file_readable.h"
#include "common/same_file.h"
#include "results/results_file.h"

namespace kora {

Workspace::Workspace(AppHost& app, DocumentFactory& factory, const Settings& settings)
    : app_(app), factory_(factory), settings_(settings) {}

Workspace::~Workspace() {
    // Documents first, each before its view.
    for (auto& entry : entries_)
        entry->document.reset();
}

SystemDocument* Workspace::Find(const std::string& fileName) {
    if (fileName.empty()) return nullptr;
    const std::string wanted = CanonicalFileName(fileName);
    for (const auto& entry : entries_)
        if (!entry->document->fileName().empty() &&
            CanonicalFileName(entry->document->fileName()) == wanted)
            return entry->document.get();
    return nullptr;
}

Workspace::Entry* Workspace::EntryOf(const SystemDocument& document) {
    for (const auto& entry : entries_)
        if (entry->document.get() == &document) return entry.get();
    return nullptr;
}

Workspace::Entry* Workspace::EntryWithSerial(uint64_t serial) {
    for (const auto& entry : entries_)
        if (entry->serial == serial) return entry.get();
    return nullptr;
}

DocumentHold::DocumentHold(Workspace& workspace, const SystemDocument& document)
    : workspace_(workspace), document_(document) {
    if (Workspace::Entry* entry = workspace_.EntryOf(document_)) ++entry->holds;
}

DocumentHold::~DocumentHold() {
    // A held entry cannot have gone: every close refuses it.
    if (Workspace::Entry* entry = workspace_.EntryOf(document_)) --entry->holds;
}

DocumentHost* Workspace::ViewOf(const SystemDocument& document) {
    Entry* entry = EntryOf(document);
    return entry != nullptr ? entry->view.get() : nullptr;
}

std::vector<SystemDocument*> Workspace::Documents() const {
    std::vector<SystemDocument*> documents;
    for (const auto& entry : entries_)
        documents.push_back(entry->document.get());
    return documents;
}

SystemDocument* Workspace::Add(std::unique_ptr<DocumentHost> view, const std::string& fileName) {
    auto entry = std::make_unique<Entry>();
    entry->view = std::move(view);
    entry->serial = nextSerial_++;
    entry->document = std::make_unique<SystemDocument>(*entry->view, app_, settings_, fileName);
    entries_.push_back(std::move(entry));
    return entries_.back()->document.get();
}

OpenResult Workspace::OpenFile(const std::string& fileName, std::string* reason) {
    if (Find(fileName) != nullptr) return OpenResult::AlreadyOpen;
    const bool results = IsResultsFileName(fileName);
    TextLines lines;
    if (!results && ReadTextLines(fileName, lines) != TextReadStatus::Ok) {
        if (reason != nullptr) {
            *reason = WhyUnreadable(fileName);
            if (reason->empty()) *reason = "read error";
        }
        return OpenResult::Unreadable;
    }
    return Show(fileName, lines, results, reason);
}

OpenResult Workspace::OpenModelText(const std::string& fileName, const TextLines& lines) {
    if (Find(fileName) != nullptr) return OpenResult::AlreadyOpen;
    return Show(fileName, lines, false, nullptr);
}

OpenResult Workspace::Show(const std::string& fileName, const TextLines& lines, bool results,
                           std::string* reason) {
    std::unique_ptr<DocumentHost> view = factory_.CreateView(fileName, lines, results);
    if (!view) return OpenResult::Unreadable;
    DocumentHost& shown = *view;
    SystemDocument* document = Add(std::move(view), fileName);
    if (results) {
        const ResultsFileResult read =
            ReadResultsFile(document->results(), fileName, '.', settings_.stockColours);
        if (!read) {
            if (reason != nullptr) *reason = read.reason;
            entries_.pop_back();
            return OpenResult::Unreadable;
        }
        document->MarkResultsDocument();
        document->MarkHasResults();
    }
    recent_.Remove(fileName);
    factory_.ShowDocument(shown, *document);
    return OpenResult::Opened;
}

void Workspace::RefreshResultsFrom(const SystemDocument& saver, const std::string& savedName,
                                   char decimalSeparator) {
    for (SystemDocument* document : Documents())
        if (document != &saver) document->RefreshResultsFrom(savedName, decimalSeparator);
}

OpenResult Workspace::OpenResultsInBackground(const std::string& fileName, char decimalSeparator,
                                              std::function<void(const std::string&)> failed) {
    if (Find(fileName) != nullptr) return OpenResult::AlreadyOpen;
    std::unique_ptr<DocumentHost> view = factory_.CreateView(fileName, {}, true);
    if (!view) return OpenResult::Unreadable;
    DocumentHost& shown = *view;
    SystemDocument* document = Add(std::move(view), fileName);
    const uint64_t serial = entries_.back()->serial;
    document->MarkResultsDocument();
    recent_.Remove(fileName);
    factory_.ShowDocument(shown, *document);
    document->ReadResultsInBackground(
        fileName, decimalSeparator,
        [this, serial, failed = std::move(failed)](const ResultsFileResult& read) {
            if (read) return;
            if (failed) failed(read.reason);
            // Not from inside the document's own call: it waits for this.
            app_.PostToMainThread([this, serial, alive = std::weak_ptr<bool>(alive_)] {
                if (alive.lock()) Discard(serial);
            });
        });
    return OpenResult::Opened;
}

void Workspace::Discard(uint64_t serial) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if ((*it)->serial == serial && (*it)->holds == 0) {
            // The document before its view, as everywhere.
            std::unique_ptr<Entry> entry = std::move(*it);
            entries_.erase(it);
            entry->document.reset();
            return;
        }
}

SystemDocument* Workspace::NewDocument() {
    std::unique_ptr<DocumentHost> view = factory_.CreateView({}, {}, false);
    if (!view) return nullptr;
    DocumentHost& shown = *view;
    SystemDocument* document = Add(std::move(view), {});
    factory_.ShowDocument(shown, *document);
    return document;
}

void Workspace::Activate(const std::string& fileName) {
    if (SystemDocument* document = Find(fileName)) factory_.ActivateView(*ViewOf(*document));
}

CloseResult Workspace::CloseFile(const std::string& fileName) {
    SystemDocument* document = Find(fileName);
    return document != nullptr ? CloseDocument(*document) : CloseResult::NotOpen;
}

CloseResult Workspace::CloseDocument(SystemDocument& document) {
    Entry* entry = EntryOf(document);
    if (entry == nullptr) return CloseResult::NotOpen;
    if (entry->holds > 0 || document.IsStarting()) return CloseResult::Busy;
    if (document.IsRunning()) return CloseResult::Running;
    {
        // The questions' dialogs run event loops: held, this entry, its view
        // and its document outlive them whatever those loops deliver.
        const DocumentHold hold(*this, document);
        if (!AskBeforeClose(*entry->view, document)) return CloseResult::Kept;
    }
    recent_.Add(document.fileName());
    std::erase_if(entries_, [entry](const auto& e) { return e.get() == entry; });
    return CloseResult::Closed;
}

bool Workspace::AskBeforeClose(DocumentHost& view, const SystemDocument& document) {
    const std::string name = document.fileName();
    if (view.TextModified()) {
        const Answer answer = view.Ask(kAskSaveText, name);
        // A save that fails must not lose the text.
        if (answer == Answer::Cancel || (answer == Answer::Yes && view.SaveDocument().empty()))
            return false;
    }
    if (document.HasUnsavedResults() && !settings_.noAskSaveResults) {
        const Answer answer = view.Ask(kAskSaveResults, name);
        if (answer == Answer::Cancel || (answer == Answer::Yes && !view.SaveCurrentResults()))
            return false;
    }
    return true;
}

CloseResult Workspace::CloseAll(SystemDocument** kept) {
    // Serials, not pointers: a close's dialogs may close or open documents.
    std::vector<uint64_t> order;
    for (const auto& entry : entries_)
        order.push_back(entry->serial);
    for (const uint64_t serial : order) {
        Entry* entry = EntryWithSerial(serial);
        if (entry == nullptr) continue;
        SystemDocument& document = *entry->document;
        const CloseResult result = CloseDocument(document);
        if (result == CloseResult::Closed || result == CloseResult::NotOpen) continue;
        if (kept != nullptr) *kept = &document;
        return result;
    }
    return CloseResult::Closed;
}

void Workspace::SettingsChanged(const Settings& settings) {
    settings_ = settings;
    for (const auto& entry : entries_)
        entry->document->SettingsChanged(settings_);
}

} // namespace kora
