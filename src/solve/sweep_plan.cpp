#include "sweep_plan.h"

#include <utility>

namespace kora {

SweepPlan::SweepPlan(SweepWalk walk, ParallelSolves& solves, size_t batch)
    : walk_(std::move(walk)), solves_(solves), batchSize_(batch) {}

SweepPlan::~SweepPlan() {
    if (solving_) solves_.Abandon();
}

bool SweepPlan::StartBatch(KRMparser& model, const std::atomic<bool>* stop) {
    std::vector<TextLines> texts;
    TextLines text;
    while (texts.size() < batchSize_ && walk_.Next(model, text))
        texts.push_back(std::move(text));
    if (texts.empty()) return false;
    solves_.Start(std::move(texts), stop);
    solving_ = true;
    return true;
}

SweepPlan::Take SweepPlan::Next(KRMparser& model, const TextLines& lines,
                                const std::atomic<bool>* stop, RunOutcome& outcome) {
    if (next_ == ready_.texts.size()) {
        if (!solving_ && !StartBatch(model, stop)) return Take::Exhausted;
        ready_ = solves_.Wait();
        solving_ = false;
        next_ = 0;
        StartBatch(model, stop);
    }
    if (ready_.texts[next_] != lines) return Take::Mismatch;
    outcome = std::move(ready_.outcomes[next_]);
    ++next_;
    return Take::Ready;
}

} // namespace kora
