// The whole least-squares problem of a fit: every data set's experiment, the
// fitted parameters' bounds and scales, and the map from the search's
// internal coordinates to the parameters' values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "experiment.h"
#include "parameter_scale.h"

namespace kora {

// A residual that stands for a failed solve: large enough that no step to
// such a point is accepted.
inline constexpr double kFailedResidual = 1e10;

class FitObjective {
public:
    // "" on success, else the first problem of the model, the data or the
    // parameters.
    std::string Prepare(const FitModelSource& source, const std::vector<DataTable>& tables,
                        const std::vector<FitParameterSpec>& parameters, const FitOptions& options);

    size_t ParameterCount() const { return scales_.size(); }
    size_t ResidualCount() const { return residualCount_; }
    const std::vector<ParameterScale>& scales() const { return scales_; }
    const std::vector<std::string>& names() const { return names_; }
    // The model's values of the parameters (of the first data set), moved inside the bounds.
    const std::vector<double>& starts() const { return starts_; }

    // Weighted residuals at parameter values; false (residuals set to
    // kFailedResidual) when some data set cannot be solved.
    bool Residuals(const double* values, double* residuals);

    // Plain and sd-scaled residuals at values, for the report.
    bool PlainResiduals(const double* values, std::vector<double>& plain,
                        std::vector<double>& bySd);

    std::vector<std::unique_ptr<Experiment>>& experiments() { return experiments_; }
    int64_t evaluations = 0;
    std::string failure; // of the last failed solve

private:
    std::vector<std::unique_ptr<Experiment>> experiments_;
    std::vector<ParameterScale> scales_;
    std::vector<std::string> names_;
    std::vector<double> starts_;
    size_t residualCount_ = 0;
};

} // namespace kora
