#include "state_evaluator.h"

#include <algorithm>

#include "krm_parser.h"

namespace kora {

StateEvaluator::StateEvaluator(const KRMparser& model) : model_(model) {}

bool StateEvaluator::Load(double time, const double* dependent, int& error) {
    time_ = time;
    dependent_.assign(dependent, dependent + model_.equations.size());
    constants_.resize(model_.constants.size());
    for (size_t j = 0; j < constants_.size(); ++j)
        constants_[j] = model_.constants[j].value;
    stack_.assign(std::max<size_t>(1, model_.stackDepth), 0.0);
    auxiliary_.assign(model_.definitions.size(), 0.0);
    for (size_t j = 0; j < auxiliary_.size(); ++j) {
        auxiliary_[j] = model_.Evaluate(1, static_cast<int>(j), time_, dependent_.data(),
                                        auxiliary_.data(), constants_.data(), error, stack_.data());
        if (error != 0) return false;
    }
    return true;
}

double StateEvaluator::Value(const std::vector<int32_t>& code, int& error) {
    error = 0;
    if (code.empty()) return 0.0;
    return model_.EvaluateCode(code.data(), time_, dependent_.data(), auxiliary_.data(),
                               constants_.data(), error, stack_.data());
}

} // namespace kora
