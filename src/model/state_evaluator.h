// Values of compiled code at one state of a model, between solver segments:
// the auxiliaries are computed once per state, in definition order.
#pragma once

#include <cstdint>
#include <vector>

namespace kora {

class KRMparser;

class StateEvaluator {
public:
    explicit StateEvaluator(const KRMparser& model);

    // Takes the state (time, dependent variables, the constants' present
    // values) and computes the auxiliaries. False, with the evaluator's
    // code, when one fails.
    bool Load(double time, const double* dependent, int& error);
    // The value of `code` at the loaded state; `error` as the evaluator's.
    double Value(const std::vector<int32_t>& code, int& error);

private:
    const KRMparser& model_;
    double time_ = 0.0;
    std::vector<double> dependent_;
    std::vector<double> auxiliary_;
    std::vector<double> constants_;
    std::vector<double> stack_;
};

} // namespace kora
