// The events triggered by conditions during one run: the triggers' last
// values, the delayed firings waiting for their time, and the firing of
// everything due at one time point, cascades included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/krm_parser.h"

namespace kora {

class StateEvaluator;

// Firings allowed at one time point before the run is stopped as a runaway
// cascade.
inline constexpr int32_t kCascadeLimit = 1000;

class StateEvents {
public:
    enum class Result { Nothing, Fired, Failed };

    explicit StateEvents(KRMparser& model) : model_(model) {}

    bool Active() const { return !model_.stateEvents.empty(); }
    // Before the run: every trigger takes its value before the start.
    void Begin();
    // At a time point of the run, with the state in the model (the
    // equations' values and the constants): triggers that became true are
    // scheduled, non-persistent ones that became false are cancelled, and
    // what is due fires, by priority, until nothing more is. `time` is the
    // solver's (forward) time, `modelTime` the model's. Failed: the sink
    // holds the model error.
    Result Process(double time, double modelTime);
    // The earliest waiting firing (solver time), or infinity.
    double NextPending() const;

private:
    struct Pending {
        size_t event = 0;
        double time = 0.0;
        std::vector<double> values; // when computed at trigger time
        uint64_t sequence = 0;
    };

    bool Fail(int code, size_t event);
    bool Triggers(StateEvaluator& state, std::vector<bool>& values);
    bool Schedule(StateEvaluator& state, size_t event, double time);
    bool Values(StateEvaluator& state, size_t event, std::vector<double>& values);
    bool NextDue(StateEvaluator& state, double time, size_t& chosen);
    bool LoadState(StateEvaluator& state, double modelTime);

    KRMparser& model_;
    std::vector<bool> previous_;
    std::vector<Pending> pending_;
    uint64_t sequence_ = 0;
};

} // namespace kora
