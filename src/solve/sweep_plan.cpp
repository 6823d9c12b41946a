#include "sweep_plan.h"

#include <utility>

namespace kora {

SweepPlan::SweepPlan(SweepWalk walk, ParallelSolves& solves, size_t batch)
    : walk_(std::move(walk)), solves_(solves), batchSize_(batch) {}

SweepPlan::~SweepPlan() {
    if (solving_) solves_.Abandon();
}

std::vector<TextLines> SweepPlan::WalkBatch(KRMparser& model) {
    std::vector<TextLines> texts;
    TextLines text;
    while (texts.size() < batchSize_ && walk_.Next(model, text))
        texts.push_back(std::move(text));
    return texts;
}

SweepPlan::Take SweepPlan::Next(KRMparser& model, const TextLines& lines,
                                const std::atomic<bool>* stop, RunOutcome& outcome) {
    if (next_ == ready_.texts.size()) {
        if (!solving_) {
            std::vector<TextLines> first = WalkBatch(model);
            if (first.empty()) return Take::Exhausted;
            solves_.Start(std::move(first), stop);
        }
        // The walk to the following batch goes on while the workers solve.
        std::vector<TextLines> following = WalkBatch(model);
        ready_ = solves_.Wait();
        solving_ = !following.empty();
        if (solving_) solves_.Start(std::move(following), stop);
        next_ = 0;
    }
    if (ready_.texts[next_] != lines) return Take::Mismatch;
    outcome = std::move(ready_.outcomes[next_]);
    ++next_;
    return Take::Ready;
}

} // namespace kora
