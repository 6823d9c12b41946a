// Copies of the equations' and definitions' code in which chosen switches are
// held at a value for one solver segment. A held switch skips its operands
// and gives its held value, so the trial steps of a segment never see the
// switch flip before the root finder has located where it does; the solver
// then restarts there with the new value.
//
//     SwitchLocks locks;
//     locks.Begin(model);                  // when the run starts
//     locks.Hold(model, k, true);          // at a segment's start
//     model.EvaluateCode(locks.Code(0, i).data(), ...);
//
// Holding, updating and releasing happen between segments; evaluating the
// copies allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kora {

class KRMparser;

class SwitchLocks {
public:
    // Copies the code; every switch starts live.
    void Begin(const KRMparser& model);
    void Clear();
    // Whether any switch is held (otherwise the model's own code serves).
    bool Any() const { return held_ > 0; }
    bool Held(size_t k) const { return k < states_.size() && states_[k] != kLive; }
    // -1 for a live switch, else its held value.
    int8_t Value(size_t k) const { return k < states_.size() ? states_[k] : kLive; }
    // Holds switch k (of the model's switchingFunctions, inside an equation
    // or definition) at `value`, or changes the value it is held at.
    void Hold(const KRMparser& model, size_t k, bool value);
    // Switch k is evaluated from its operands again.
    void Release(const KRMparser& model, size_t k);
    // The code to evaluate for equation (kind 0) or definition `index`.
    const std::vector<int32_t>& Code(int kind, size_t index) const {
        return kind == 0 ? equations_[index] : definitions_[index];
    }

private:
    static constexpr int8_t kLive = -1;
    void Rewrite(const KRMparser& model, int32_t kind, int32_t index);

    std::vector<std::vector<int32_t>> equations_;
    std::vector<std::vector<int32_t>> definitions_;
    std::vector<int8_t> states_; // per switch: kLive, or the held 0 or 1
    size_t held_ = 0;
};

} // namespace kora
