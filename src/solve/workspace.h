// The open documents of the application and the rules that govern them: one
// document per file, ".res" files open as results documents, the questions
// before a close, the recent-files list, and the OPEN, ACTIVATE and CLOSE
// commands of scripts. Both front ends keep one; the documents' views come
// from the front end's factory.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/app_host.h"
#include "model/model_text.h"
#include "settings/recent_files.h"
#include "settings/settings.h"
#include "system_document.h"

namespace kora {

class DocumentHost;

// The front end's part in opening a document.
class DocumentFactory {
public:
    virtual ~DocumentFactory() = default;
    // The view of a document about to open: `editorLines` is a model file's
    // text (empty for a new document or a results document). Null when the
    // front end cannot make one.
    virtual std::unique_ptr<DocumentHost>
    CreateView(const std::string& fileName, const TextLines& editorLines, bool resultsDocument) = 0;
    // The document is bound to its view and open: the view may show it.
    virtual void ShowDocument(DocumentHost& view, SystemDocument& document) = 0;
    // Shows the view and gives it the focus.
    virtual void ActivateView(DocumentHost& view) = 0;
};

enum class OpenResult { Opened, AlreadyOpen, Unreadable };
// Busy: the document is already being closed, one of its own dialogs runs,
// or its Run is starting (with its boxes); a dialog's event loop can deliver
// a script's CLOSE or another close.
enum class CloseResult { Closed, NotOpen, Running, Kept, Busy };

class Workspace;

// Keeps a document open while it is held: every close asked meanwhile is
// refused as Busy. The close itself holds its document while it asks its
// questions; a front end holds one around any dialog that uses the document
// afterwards (Save As).
class DocumentHold {
public:
    DocumentHold(Workspace& workspace, const SystemDocument& document);
    ~DocumentHold();
    DocumentHold(const DocumentHold&) = delete;
    DocumentHold& operator=(const DocumentHold&) = delete;

private:
    Workspace& workspace_;
    const SystemDocument& document_;
};

class Workspace : public DocumentList {
public:
    Workspace(AppHost& app, DocumentFactory& factory, const Settings& settings);
    // Destroys every document, running or not.
    ~Workspace() override;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Opens a model or (".res") results file; `reason` tells why the file
    // could not be read.
    OpenResult OpenFile(const std::string& fileName, std::string* reason = nullptr);
    // Opens a ".res" file as a results document at once and reads it on a
    // worker thread, the document running meanwhile. When it cannot be read,
    // the document goes again and `failed` gets the reason (main thread).
    OpenResult OpenResultsInBackground(const std::string& fileName, char decimalSeparator,
                                       std::function<void(const std::string& reason)> failed);
    // Opens a model document named `fileName` with lines already read from
    // it, so that a stream is read only once.
    OpenResult OpenModelText(const std::string& fileName, const TextLines& lines);
    // A new document without a file name.
    SystemDocument* NewDocument();
    SystemDocument* Find(const std::string& fileName);
    DocumentHost* ViewOf(const SystemDocument& document);
    std::vector<SystemDocument*> Documents() const;

    // The ordinary close: refused while the document runs; its changed text
    // and unsaved results are asked about (Cancel, or a save that fails,
    // keeps it open); its name goes to the top of the recent files.
    CloseResult CloseDocument(SystemDocument& document);
    CloseResult CloseFile(const std::string& fileName);
    // Closes every document in window order and stops at the first that
    // stays open (`*kept` names it). Documents that a dialog closed meanwhile
    // are skipped; documents opened meanwhile are left alone.
    CloseResult CloseAll(SystemDocument** kept = nullptr);

    // Every document but `saver` that shows the results file `savedName`
    // and holds no unsaved change there reads it again.
    void RefreshResultsFrom(const SystemDocument& saver, const std::string& savedName,
                            char decimalSeparator);

    // New settings for every open document and every document opened later.
    void SettingsChanged(const Settings& settings);
    const Settings& settings() const { return settings_; }
    RecentFiles& recentFiles() { return recent_; }

    // DocumentList, for scripts.
    bool IsOpen(const std::string& fileName) override { return Find(fileName) != nullptr; }
    bool Open(const std::string& fileName) override {
        return OpenFile(fileName) == OpenResult::Opened;
    }
    void Activate(const std::string& fileName) override;
    void Close(const std::string& fileName) override { CloseFile(fileName); }

private:
    friend class DocumentHold;

    OpenResult Show(const std::string& fileName, const TextLines& lines, bool results,
                    std::string* reason);

    struct Entry {
        std::unique_ptr<DocumentHost> view; // outlives its document
        std::unique_ptr<SystemDocument> document;
        uint64_t serial = 0; // never reused, unlike an address
        int holds = 0;       // DocumentHolds alive: the entry must stay
    };

    Entry* EntryOf(const SystemDocument& document);
    Entry* EntryWithSerial(uint64_t serial);
    // Closes without questions and without a trace in the recent files.
    void Discard(uint64_t serial);
    // The close questions; false when the user keeps the document.
    bool AskBeforeClose(DocumentHost& view, const SystemDocument& document);
    SystemDocument* Add(std::unique_ptr<DocumentHost> view, const std::string& fileName);

    AppHost& app_;
    DocumentFactory& factory_;
    Settings settings_;
    RecentFiles recent_;
    std::vector<std::unique_ptr<Entry>> entries_;
    uint64_t nextSerial_ = 1;
    // Calls posted to the main thread look here first: the workspace may
    // have gone by the time they run.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// The close questions.
inline constexpr const char* kAskSaveText = "This file has changed. Saved current changes?";
inline constexpr const char* kAskSaveResults = "Save current RESULTS?";

} // namespace kora
