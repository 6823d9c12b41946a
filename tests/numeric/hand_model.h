// A model filled in by hand, with its power-law form, for driving solvers
// without going through the model text.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/error_display.h"
#include "model/gma_form.h"
#include "model/krm_parser.h"

namespace kora::test {

struct HandModel {
    KRMForm form;
    ErrorDisplay sink;
    KRMparser model{&form, &sink};

    HandModel(double t0, double tf, double hr) {
        model.t0 = t0;
        model.tf = tf;
        model.hr = hr;
        model.tCurrent = t0;
    }

    // Adds a reported dependent variable with its equation's terms.
    void AddVariable(const std::string& name, double initial, std::vector<GMATerm> terms) {
        Statement statement;
        statement.name = name;
        statement.value = initial;
        statement.state = kStateReported;
        statement.reportIndex = static_cast<int32_t>(model.equations.size()) + 1;
        model.equations.push_back(statement);
        form.equations.push_back(GMAexpression{std::move(terms), kEquationGeneral});
    }
};

inline GMATerm Term(double coefficient, std::map<uint32_t, double> exponents = {}) {
    return GMATerm{coefficient, std::move(exponents)};
}

} // namespace kora::test
