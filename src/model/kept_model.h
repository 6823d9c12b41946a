// A solver's built model, kept from one solve to the next: a next solve
// whose lines differ only in plain values takes it back patched (see
// model_patch.h) instead of reading, tokenising and compiling the text
// again. The model itself is cleared between solves as before, since the
// script reads statements with it in between.
#pragma once

#include <vector>

#include "krm_parser.h"

namespace kora {

class KeptModel {
public:
    // After a build (or a take-back) without error: what the solve may
    // change, and the settings the build read.
    void Remember(const KRMparser& model);
    // Before a build: what is remembered no longer describes the model.
    void Forget() { remembered_ = false; }
    // At the end of a solve: takes the built statements out of `model`
    // when they are remembered, and clears it either way.
    void Hold(KRMparser& model);
    // At the next build: puts the held model back into `model` as a build
    // from `next` would leave it; false when it must be built afresh (the
    // held model is gone either way).
    bool TakeBack(KRMparser& model, const TextLines& built, const TextLines& next);

private:
    bool SameSettings(const KRMparser& model) const;
    void PutBack(KRMparser& model);

    bool remembered_ = false;
    bool held_ = false;
    // The built model between solves: its lists while held, its other
    // fields and the settings it read from Remember on.
    KRMparser kept_{nullptr, nullptr};
    // The values as built: a solve's events and evaluations may move them.
    std::vector<double> equationValues_;
    std::vector<double> constantValues_;
    std::vector<double> definitionValues_;
};

} // namespace kora
