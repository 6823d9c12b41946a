#include "script_thread.h"

#include "system_document.h"

namespace kora {

TScriptThread::TScriptThread(SystemDocument& document, AutoResetEvent& event, std::mutex& lock)
    : document_(document), event_(event), lock_(lock), thread_([this] { Execute(); }) {}

TScriptThread::~TScriptThread() {
    if (thread_.joinable()) thread_.join();
}

void TScriptThread::Execute() {
    while (!terminated_.load()) {
        event_.Wait();
        {
            const std::lock_guard lock(lock_);
            if (document_.TakeStopRequest()) {
                document_.NoteStoppedBetweenCommands();
                terminated_.store(true);
            }
        }
        if (terminated_.load()) break;
        // A refused call means the document is going: leave at once.
        if (!document_.CallOnMainThread([this] { document_.ExecuteCommands(); })) return;
        // A solve done ahead and not finished yet is waited for here, so
        // that the main thread never waits for a worker.
        while (document_.SweepPending()) {
            document_.WaitForSweep();
            if (!document_.CallOnMainThread([this] { document_.ResumeSweep(); })) return;
        }
    }
    document_.CallOnMainThread([this] { document_.ScriptDone(); });
}

} // namespace kora
