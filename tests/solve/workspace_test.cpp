#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <utility>

#include "document_recording_host.h"
#include "solve/workspace.h"

namespace kora {
namespace {

using testing::ScratchDirectory;
using testing::TestHost;

// Views are recording hosts; the test's thread is the main thread.
struct Windows : DocumentFactory {
    explicit Windows(MainThreadQueue& q) : queue(q) {}
    std::unique_ptr<DocumentHost> CreateView(const std::string&, const TextLines& lines,
                                             bool) override {
        auto view = std::make_unique<TestHost>(queue);
        view->editor = lines;
        view->onAsk = [this](const std::string& text) {
            questions.push_back(text);
            // What a dialog's event loop may deliver; once, not in the
            // questions the hook itself causes.
            if (duringQuestion) std::exchange(duringQuestion, nullptr)();
        };
        view->onBox = [this] {
            if (duringQuestion) std::exchange(duringQuestion, nullptr)();
        };
        last = view.get();
        return view;
    }
    void ShowDocument(DocumentHost&, SystemDocument&) override {}
    void ActivateView(DocumentHost& view) override { activated = &view; }

    MainThreadQueue& queue;
    TestHost* last = nullptr;
    std::vector<std::string> questions; // asked by any view, also a closed one
    std::function<void()> duringQuestion;
    DocumentHost* activated = nullptr;
};

struct WorkspaceTest : ::testing::Test {
    WorkspaceTest() { settings.method = "Taylor"; }
    std::string Model(const std::string& name, const std::string& text) {
        return dir.Write(name, text).string();
    }
    void RunToEnd(SystemDocument& document) {
        document.AnalysisRunClick();
        testing::RunUntilIdle(queue, {&document});
    }

    MainThreadQueue queue;
    ScratchDirectory dir;
    TestHost app{queue};
    Windows windows{queue};
    Settings settings;
    Workspace workspace{app, windows, settings};
};

TEST_F(WorkspaceTest, OneDocumentPerFileAndResultsFilesAsResults) {
    const std::string model = Model("m.krm", "X' = -X\nX = 1\ntf = 1\n");
    ASSERT_EQ(workspace.OpenFile(model), OpenResult::Opened);
    const std::string detour = (dir.path / "sub" / ".." / "m.krm").string();
    std::filesystem::create_directories(dir.path / "sub");
    EXPECT_EQ(workspace.OpenFile(detour), OpenResult::AlreadyOpen);
    EXPECT_EQ(workspace.OpenFile(dir.File("absent.krm")), OpenResult::Unreadable);
    EXPECT_EQ(workspace.Documents().size(), 1u);

    SystemDocument& document = *workspace.Find(detour);
    RunToEnd(document);
    std::string reason;
    ASSERT_TRUE(document.SaveResults(dir.File("m.res"), reason)) << reason;
    ASSERT_EQ(workspace.OpenFile(dir.File("m.res")), OpenResult::Opened);
    EXPECT_TRUE(workspace.Find(dir.File("m.res"))->HasResults());
    workspace.Activate(model);
    EXPECT_EQ(windows.activated, workspace.ViewOf(document));
}

TEST_F(WorkspaceTest, CloseAsksAndKeepsWhatTheUserKeeps) {
    SystemDocument* document = nullptr;
    ASSERT_EQ(workspace.OpenFile(Model("m.krm", "X' = -X\nX = 1\ntf = 1\n")), OpenResult::Opened);
    document = workspace.Documents().front();
    TestHost& view = *windows.last;
    RunToEnd(*document);
    view.modified = true;

    view.answer = Answer::Cancel;
    EXPECT_EQ(workspace.CloseDocument(*document), CloseResult::Kept);
    view.answer = Answer::Yes; // but the save fails: nothing is lost
    EXPECT_EQ(workspace.CloseDocument(*document), CloseResult::Kept);
    view.answer = Answer::No;
    const std::string name = document->fileName();
    EXPECT_EQ(workspace.CloseDocument(*document), CloseResult::Closed);
    EXPECT_EQ(windows.questions, (std::vector<std::string>{kAskSaveText, kAskSaveText, kAskSaveText,
                                                           kAskSaveResults}));
    EXPECT_EQ(workspace.recentFiles().entries(), std::vector<std::string>{name});
    ASSERT_EQ(workspace.OpenFile(name), OpenResult::Opened);
    EXPECT_TRUE(workspace.recentFiles().entries().empty());
}

TEST_F(WorkspaceTest, NewSettingsReachOpenDocuments) {
    ASSERT_EQ(workspace.OpenFile(Model("m.krm", "X' = -X\nX = 1\nhr = 0.5\nend = 2\n")),
              OpenResult::Opened);
    Settings renamed = settings;
    renamed.finalTimeName = "end";
    workspace.SettingsChanged(renamed);
    SystemDocument& document = *workspace.Documents().front();
    RunToEnd(document);
    ASSERT_EQ(document.results().timeCourses.size(), 1u);
    EXPECT_EQ(document.results().timeCourses[0].rows, 5);
}

TEST_F(WorkspaceTest, ReportsAndRefreshesTellDocumentsOfOneBaseNameApart) {
    std::filesystem::create_directories(dir.path / "a");
    std::filesystem::create_directories(dir.path / "b");
    const std::string first = Model("a/m.krm", "X' = 1 - X\nX = 0.5\ntf = 1\n");
    const std::string second = Model("b/m.krm", "X' = 2 - X\nX = 0.5\ntf = 2\n");
    ASSERT_EQ(workspace.OpenFile(first), OpenResult::Opened);
    ASSERT_EQ(workspace.OpenFile(second), OpenResult::Opened);
    SystemDocument& one = *workspace.Find(first);
    SystemDocument& two = *workspace.Find(second);
    for (SystemDocument* document : {&two, &one}) {
        document->AnalysisSSClick();
        testing::RunUntilIdle(queue, {document});
    }
    // Same caption, different writers.
    ASSERT_EQ(app.reports.size(), 2u);
    EXPECT_EQ(app.reports[0], app.reports[1]);
    EXPECT_EQ(app.reportWriters, (std::vector<std::string>{second, first}));

    // Each model saves its results beside it; both results files are open.
    std::string reason;
    for (SystemDocument* document : {&one, &two}) {
        RunToEnd(*document);
        const std::string saved = document->fileName().substr(0, document->fileName().size() - 4);
        ASSERT_TRUE(document->SaveResults(saved + ".res", reason)) << reason;
        ASSERT_EQ(workspace.OpenFile(saved + ".res"), OpenResult::Opened);
    }
    SystemDocument& shownOne = *workspace.Find(dir.File("a/m.res"));
    SystemDocument& shownTwo = *workspace.Find(dir.File("b/m.res"));
    EXPECT_TRUE(shownOne.IsResultsDocument());
    EXPECT_EQ(shownOne.ResultsFileName(), dir.File("a/m.res"));
    const int rowsTwo = shownTwo.results().timeCourses.at(0).rows;

    // A longer run saved over a/m.res reaches its window only.
    static_cast<TestHost*>(workspace.ViewOf(one))->editor = {"X' = 1 - X", "X = 0.5", "tf = 3"};
    RunToEnd(one);
    ASSERT_TRUE(one.SaveResults(dir.File("a/m.res"), reason)) << reason;
    workspace.RefreshResultsFrom(one, dir.File("a/m.res"), '.');
    EXPECT_EQ(shownOne.results().timeCourses.at(0).rows, one.results().timeCourses.at(0).rows);
    EXPECT_FALSE(shownOne.HasUnsavedResults());
    EXPECT_EQ(shownTwo.results().timeCourses.at(0).rows, rowsTwo);

    // Unsaved changes in the window are kept, not replaced.
    shownTwo.results().modified = true;
    ASSERT_TRUE(one.SaveResults(dir.File("b/m.res"), reason)) << reason;
    workspace.RefreshResultsFrom(one, dir.File("b/m.res"), '.');
    EXPECT_EQ(shownTwo.results().timeCourses.at(0).rows, rowsTwo);
}

TEST_F(WorkspaceTest, AResultsFileReadInTheBackgroundKeepsItsDocumentBusyUntilIn) {
    ASSERT_EQ(workspace.OpenFile(Model("m.krm", "X' = -X\nX = 1\ntf = 1\n")), OpenResult::Opened);
    SystemDocument& model = *workspace.Documents().front();
    RunToEnd(model);
    std::string reason;
    ASSERT_TRUE(model.SaveResults(dir.File("m.res"), reason)) << reason;

    std::vector<std::string> failures;
    const auto failed = [&failures](const std::string& why) { failures.push_back(why); };
    ASSERT_EQ(workspace.OpenResultsInBackground(dir.File("m.res"), '.', failed),
              OpenResult::Opened);
    SystemDocument& shown = *workspace.Find(dir.File("m.res"));
    TestHost& view = *windows.last;
    EXPECT_TRUE(shown.IsRunning());
    EXPECT_EQ(workspace.CloseDocument(shown), CloseResult::Running);
    shown.AnalysisRunClick(); // refused: the file is still being read
    testing::RunUntilIdle(queue, {&shown});
    EXPECT_EQ(view.runningCalls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(shown.HasResults());
    EXPECT_EQ(shown.results().timeCourses.at(0).rows, model.results().timeCourses.at(0).rows);
    EXPECT_EQ(workspace.OpenResultsInBackground(dir.File("m.res"), '.', failed),
              OpenResult::AlreadyOpen);
    EXPECT_TRUE(failures.empty());

    // A file that cannot be read closes its document again, and the results
    // document can still save to its own file.
    dir.Write("bad.res", "not results\n");
    ASSERT_EQ(workspace.OpenResultsInBackground(dir.File("bad.res"), '.', failed),
              OpenResult::Opened);
    queue.RunUntil([&] { return workspace.Find(dir.File("bad.res")) == nullptr; });
    EXPECT_EQ(failures.size(), 1u);
    EXPECT_TRUE(workspace.recentFiles().entries().empty());

    bool saved = false;
    shown.results().modified = true;
    shown.SaveResultsInBackground(
        dir.File("m.res"), [&saved](const ResultsFileResult& written) { saved = written.ok; });
    testing::RunUntilIdle(queue, {&shown});
    EXPECT_TRUE(saved);
    EXPECT_FALSE(shown.HasUnsavedResults());
}

TEST_F(WorkspaceTest, RunningDocumentsRefuseToCloseButGoWithTheWorkspace) {
    auto running = std::make_unique<Workspace>(app, windows, testing::EndlessSettings());
    ASSERT_EQ(running->OpenFile(Model("m.krm", "X' = X - X*Y\nY' = X*Y - Y\nX = 2\nY = 1\n"
                                               "hr = 1\ntf = 1e5\n")),
              OpenResult::Opened);
    SystemDocument& document = *running->Documents().front();
    document.AnalysisRunClick();
    queue.RunUntil([&] { return windows.last->solving; }, std::chrono::milliseconds(5));
    EXPECT_EQ(running->CloseDocument(document), CloseResult::Running);
    running.reset(); // the application quits: no wait for the main thread
    queue.RunPending(std::chrono::milliseconds(0));
}

// Questions are modal dialogs; their event loops deliver zero-time timers (a
// script's CLOSE from another document) and queued main-thread work. None of
// it may close the document being asked about or leave the close using a
// view or entry that went meanwhile.
struct CloseReentryTest : WorkspaceTest {
    TestHost& OpenModified(const std::string& name) {
        EXPECT_EQ(workspace.OpenFile(Model(name, "X' = -X\nX = 1\ntf = 1\n")), OpenResult::Opened);
        windows.last->modified = true;
        windows.last->answer = Answer::No;
        return *windows.last;
    }
};

TEST_F(CloseReentryTest, ASecondCloseOfTheDocumentBeingClosedIsRefused) {
    OpenModified("m.krm");
    SystemDocument& document = *workspace.Documents().front();
    CloseResult inner = CloseResult::Closed;
    windows.duringQuestion = [&] { inner = workspace.CloseDocument(document); };
    EXPECT_EQ(workspace.CloseDocument(document), CloseResult::Closed);
    EXPECT_EQ(inner, CloseResult::Busy);
    EXPECT_TRUE(workspace.Documents().empty());
    EXPECT_EQ(windows.questions, std::vector<std::string>{kAskSaveText});
}

TEST_F(CloseReentryTest, QueuedCloseRunInsideTheQuestionIsRefused) {
    OpenModified("m.krm");
    const std::string name = workspace.Documents().front()->fileName();
    CloseResult queued = CloseResult::Closed;
    // Queued from a worker, as a script's CLOSE is; it waits for the queue.
    std::thread([&] { queue.Post([&] { queued = workspace.CloseFile(name); }); }).join();
    windows.duringQuestion = [&] { queue.RunPending(std::chrono::milliseconds(0)); };
    EXPECT_EQ(workspace.CloseFile(name), CloseResult::Closed);
    EXPECT_EQ(queued, CloseResult::Busy);
    EXPECT_EQ(workspace.recentFiles().entries(), std::vector<std::string>{name});
}

TEST_F(CloseReentryTest, CloseAllSkipsWhatItsQuestionsClosedAndKeepsWhatTheyOpened) {
    OpenModified("a.krm");
    OpenModified("b.krm");
    OpenModified("c.krm");
    const std::vector<SystemDocument*> before = workspace.Documents();
    const std::string late = Model("late.krm", "X' = -X\nX = 1\n");
    windows.duringQuestion = [&] {
        EXPECT_EQ(workspace.CloseDocument(*before[2]), CloseResult::Closed);
        EXPECT_EQ(workspace.CloseDocument(*before[1]), CloseResult::Closed);
        EXPECT_EQ(workspace.OpenFile(late), OpenResult::Opened);
    };
    EXPECT_EQ(workspace.CloseAll(), CloseResult::Closed);
    ASSERT_EQ(workspace.Documents().size(), 1u);
    EXPECT_NE(workspace.Find(late), nullptr);
    EXPECT_EQ(windows.questions.size(), 3u); // a, then c and b inside a's question
}

TEST_F(CloseReentryTest, CloseAllStopsAtTheDocumentTheUserKeeps) {
    OpenModified("a.krm");
    OpenModified("b.krm").answer = Answer::Cancel;
    OpenModified("c.krm");
    SystemDocument* kept = nullptr;
    EXPECT_EQ(workspace.CloseAll(&kept), CloseResult::Kept);
    ASSERT_EQ(workspace.Documents().size(), 2u);
    EXPECT_EQ(kept, workspace.Documents().front());
}

TEST_F(CloseReentryTest, ARunThatIsStartingCannotBeClosedFromItsBoxes) {
    ASSERT_EQ(workspace.OpenFile(Model("m.krm", "X' = -X\nX = 1\nSCRIPT\nBOGUS\nEND SCRIPT\n")),
              OpenResult::Opened);
    SystemDocument& document = *workspace.Documents().front();
    CloseResult during = CloseResult::Closed;
    windows.duringQuestion = [&] { during = workspace.CloseDocument(document); };
    document.AnalysisRunClick(); // the script's error box
    EXPECT_EQ(windows.last->boxes.size(), 1u);
    EXPECT_EQ(during, CloseResult::Busy);
    EXPECT_EQ(workspace.CloseDocument(document), CloseResult::Closed);
}

TEST_F(CloseReentryTest, AHeldDocumentStaysOpenUntilReleased) {
    OpenModified("m.krm");
    SystemDocument& document = *workspace.Documents().front();
    {
        const DocumentHold saveAsDialog(workspace, document);
        const DocumentHold nested(workspace, document);
        EXPECT_EQ(workspace.CloseDocument(document), CloseResult::Busy);
        EXPECT_EQ(workspace.CloseAll(), CloseResult::Busy);
        EXPECT_TRUE(windows.questions.empty());
    }
    EXPECT_EQ(workspace.CloseDocument(document), CloseResult::Closed);
}

} // namespace
} // namespace kora
