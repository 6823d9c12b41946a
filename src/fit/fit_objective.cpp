#include "fit_objective.h"

#include <algorithm>
#include <cmath>

#include "results/number_text.h"

namespace kora {

std::string FitObjective::Prepare(const FitModelSource& source,
                                  const std::vector<DataTable>& tables,
                                  const std::vector<FitParameterSpec>& parameters,
                                  const FitOptions& options) {
    experiments_.clear();
    scales_.clear();
    names_.clear();
    if (tables.empty()) return "error: no data";
    if (parameters.empty()) return "error: no parameter to fit";
    for (const FitParameterSpec& spec : parameters) {
        if (std::find(names_.begin(), names_.end(), spec.name) != names_.end())
            return "error: " + spec.name + " is named twice";
        if (!(spec.low < spec.high))
            return "error: the bounds of " + spec.name + " are empty (" +
                   FormatGeneral(spec.low, 10) + " to " + FormatGeneral(spec.high, 10) + ")";
        const bool logScale = UsesLogScale(spec);
        if (logScale && spec.high <= 0.0)
            return "error: " + spec.name + " cannot be fitted on a log scale below 0";
        names_.push_back(spec.name);
        scales_.emplace_back(logScale ? std::max(spec.low, 0.0) : spec.low, spec.high, logScale);
    }
    residualCount_ = 0;
    for (const DataTable& table : tables) {
        auto experiment = std::make_unique<Experiment>();
        std::string problem =
            experiment->Prepare(source, table, names_, options.weighting, options.logTolerance);
        if (!problem.empty()) return problem;
        residualCount_ += experiment->ResidualCount();
        experiments_.push_back(std::move(experiment));
    }
    if (residualCount_ < names_.size())
        return "error: " + std::to_string(residualCount_) + " data points cannot determine " +
               std::to_string(names_.size()) + " parameters";
    starts_.resize(names_.size());
    for (size_t p = 0; p < names_.size(); ++p) {
        const double value = experiments_.front()->ModelValue(p);
        if (scales_[p].logScale() && !(value > 0.0) && !std::isfinite(scales_[p].low()))
            return "error: " + names_[p] + " = " + FormatGeneral(value, 10) +
                   " cannot start a search on a log scale; give it a positive value";
        starts_[p] = scales_[p].Clamp(value);
    }
    return {};
}

bool FitObjective::Residuals(const double* values, double* residuals) {
    ++evaluations;
    double* out = residuals;
    for (auto& experiment : experiments_) {
        if (!experiment->Evaluate(values, out)) {
            failure = experiment->failure;
            std::fill(residuals, residuals + residualCount_, kFailedResidual);
            return false;
        }
        out += experiment->ResidualCount();
    }
    return true;
}

bool FitObjective::PlainResiduals(const double* values, std::vector<double>& plain,
                                  std::vector<double>& bySd) {
    plain.assign(residualCount_, 0.0);
    bySd.assign(residualCount_, 0.0);
    size_t offset = 0;
    for (auto& experiment : experiments_) {
        if (!experiment->PlainResiduals(values, plain.data() + offset, bySd.data() + offset))
            return false;
        offset += experiment->ResidualCount();
    }
    return true;
}

} // namespace kora
