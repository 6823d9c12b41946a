#include "state_events.h"

#include <cmath>

#include "model/state_evaluator.h"

namespace kora {
namespace {

constexpr int kCodeDelay = 41;
constexpr int kCodeRunaway = 42;
constexpr int kCodeEventFailed = 44;

} // namespace

void StateEvents::Begin() {
    previous_.clear();
    for (const ModelEvent& event : model_.stateEvents)
        previous_.push_back(event.initialValue);
    pending_.clear();
    sequence_ = 0;
}

double StateEvents::NextPending() const {
    double next = std::numeric_limits<double>::infinity();
    for (const Pending& pending : pending_)
        next = std::min(next, pending.time);
    return next;
}

bool StateEvents::Fail(int code, size_t event) {
    model_.SetError(code, model_.stateEvents[event].text);
    return false;
}

bool StateEvents::LoadState(StateEvaluator& state, double modelTime) {
    std::vector<double> y;
    y.reserve(model_.equations.size());
    for (const Statement& equation : model_.equations)
        y.push_back(equation.value);
    int error = 0;
    if (state.Load(modelTime, y.data(), error)) return true;
    return model_.stateEvents.empty() || Fail(kCodeEventFailed, 0);
}

bool StateEvents::Triggers(StateEvaluator& state, std::vector<bool>& values) {
    values.assign(model_.stateEvents.size(), false);
    for (size_t i = 0; i < model_.stateEvents.size(); ++i) {
        int error = 0;
        values[i] = state.Value(model_.stateEvents[i].trigger, error) != 0.0;
        if (error != 0) return Fail(kCodeEventFailed, i);
    }
    return true;
}

bool StateEvents::Values(StateEvaluator& state, size_t event, std::vector<double>& values) {
    values.clear();
    for (const EventSetting& assignment : model_.stateEvents[event].assignments) {
        int error = 0;
        values.push_back(state.Value(assignment.code, error));
        if (error != 0) return Fail(kCodeEventFailed, event);
    }
    return true;
}

bool StateEvents::Schedule(StateEvaluator& state, size_t event, double time) {
    const ModelEvent& model = model_.stateEvents[event];
    Pending pending;
    pending.event = event;
    pending.time = time;
    pending.sequence = sequence_++;
    if (!model.delay.empty()) {
        int error = 0;
        const double delay = state.Value(model.delay, error);
        if (error != 0) return Fail(kCodeEventFailed, event);
        if (!std::isfinite(delay) || delay < 0.0) return Fail(kCodeDelay, event);
        pending.time = time + delay;
    }
    if (model.valuesAtTrigger && !Values(state, event, pending.values)) return false;
    pending_.push_back(std::move(pending));
    return true;
}

// The due firing to go first: the highest priority, then events without a
// priority, in text order, then in the order they were triggered.
bool StateEvents::NextDue(StateEvaluator& state, double time, size_t& chosen) {
    chosen = pending_.size();
    bool chosenHasPriority = false;
    double chosenPriority = 0.0;
    for (size_t p = 0; p < pending_.size(); ++p) {
        const Pending& candidate = pending_[p];
        if (candidate.time > time) continue;
        const ModelEvent& event = model_.stateEvents[candidate.event];
        const bool hasPriority = !event.priority.empty();
        double priority = 0.0;
        if (hasPriority) {
            int error = 0;
            priority = state.Value(event.priority, error);
            if (error != 0) return Fail(kCodeEventFailed, candidate.event);
        }
        bool better = chosen == pending_.size();
        if (!better) {
            const Pending& current = pending_[chosen];
            if (hasPriority != chosenHasPriority)
                better = hasPriority;
            else if (hasPriority && priority != chosenPriority)
                better = priority > chosenPriority;
            else if (candidate.event != current.event)
                better = candidate.event < current.event;
            else
                better = candidate.sequence < current.sequence;
        }
        if (!better) continue;
        chosen = p;
        chosenHasPriority = hasPriority;
        chosenPriority = priority;
    }
    return true;
}

StateEvents::Result StateEvents::Process(double time, double modelTime) {
    bool fired = false;
    for (int32_t firings = 0;;) {
        StateEvaluator state(model_);
        std::vector<bool> now;
        if (!LoadState(state, modelTime) || !Triggers(state, now)) return Result::Failed;
        for (size_t i = 0; i < now.size(); ++i) {
            if (!previous_[i] && now[i] && !Schedule(state, i, time)) return Result::Failed;
            if (previous_[i] && !now[i] && !model_.stateEvents[i].persistent)
                std::erase_if(pending_, [i](const Pending& p) { return p.event == i; });
        }
        previous_ = now;

        size_t chosen = 0;
        if (!NextDue(state, time, chosen)) return Result::Failed;
        if (chosen == pending_.size()) return fired ? Result::Fired : Result::Nothing;
        Pending firing = std::move(pending_[chosen]);
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(chosen));
        if (++firings > kCascadeLimit) {
            Fail(kCodeRunaway, firing.event);
            return Result::Failed;
        }
        if (!model_.stateEvents[firing.event].valuesAtTrigger &&
            !Values(state, firing.event, firing.values))
            return Result::Failed;
        if (!model_.AssignEventValues(model_.stateEvents[firing.event], firing.values.data()))
            return Result::Failed;
        fired = true;
    }
}

} // namespace kora
