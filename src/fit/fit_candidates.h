// What a model offers to fit: its own constants and the initial values of
// its dependent variables, with their values, for a front end's table.
#pragma once

#include <string>
#include <vector>

#include "experiment.h"

namespace kora {

struct FitCandidate {
    std::string name;
    double value = 0.0;
    bool initialValue = false;
};

// Builds the model lines; "" and the candidates (constants in text order,
// then the dependent variables), or the model's error.
std::string FitCandidates(const FitModelSource& source, std::vector<FitCandidate>& out);

} // namespace kora
