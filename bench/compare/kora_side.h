// KORA's side of the comparison: one whole solve of a model text through the
// same run path the batch tool uses.
#pragma once

#include <string>

#include "model/model_text.h"
#include "peer_cvode.h"

namespace kora::compare {

enum class KoraMethod { Taylor, Lsoda };

class KoraSide {
public:
    explicit KoraSide(const std::string& modelPath);
    SolveOutcome Solve(KoraMethod method, double tolerance, bool exactJacobian = false) const;

private:
    TextLines modelLines_;
};

} // namespace kora::compare
