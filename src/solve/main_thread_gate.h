// A document's way onto the main thread: a worker posts a call through the
// application's dispatcher and waits for it, unless the document closes the
// gate first (it is being destroyed), which releases every waiting worker
// and turns calls still queued into nothing. The dispatcher never has to
// wait, so a destructor on the main thread can always join its workers.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace kora {

class AppHost;

class MainThreadGate {
public:
    explicit MainThreadGate(AppHost& app);
    // Closes the gate.
    ~MainThreadGate();
    MainThreadGate(const MainThreadGate&) = delete;
    MainThreadGate& operator=(const MainThreadGate&) = delete;

    // On a worker: runs `work` on the main thread and waits for it. False
    // when the gate closed before `work` ran. A throwing `work` counts as run
    // and is reported as an internal error.
    bool Call(std::function<void()> work);

    // On the main thread: refuses further calls and releases waiting ones.
    void Close();

private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        bool closed = false;
    };

    AppHost& app_;
    std::shared_ptr<Shared> shared_;
};

} // namespace kora
