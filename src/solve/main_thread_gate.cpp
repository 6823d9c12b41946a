#include "main_thread_gate.h"

#include <exception>

#include "base/app_host.h"

namespace kora {

MainThreadGate::MainThreadGate(AppHost& app) : app_(app), shared_(std::make_shared<Shared>()) {}

MainThreadGate::~MainThreadGate() {
    Close();
}

bool MainThreadGate::Call(std::function<void()> work) {
    auto done = std::make_shared<bool>(false);
    {
        const std::lock_guard lock(shared_->mutex);
        if (shared_->closed) return false;
    }
    // The posted call holds the shared state, not the gate: it may run after
    // the gate and its document are gone, and then does nothing. Close runs
    // on the main thread too, so a call that sees the gate open runs whole.
    app_.PostToMainThread([shared = shared_, done, work = std::move(work), &app = app_] {
        {
            const std::lock_guard lock(shared->mutex);
            if (shared->closed) return;
        }
        try {
            work();
        } catch (const std::exception& failure) {
            app.ReportInternalError(failure.what());
        } catch (...) {
            app.ReportInternalError("unknown failure");
        }
        const std::lock_guard lock(shared->mutex);
        *done = true;
        shared->changed.notify_all();
    });
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait(lock, [&] { return *done || shared_->closed; });
    return *done;
}

void MainThreadGate::Close() {
    const std::lock_guard lock(shared_->mutex);
    shared_->closed = true;
    shared_->changed.notify_all();
}

} // namespace kora
