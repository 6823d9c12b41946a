// One data set and the model compiled once for it, with the data set's own
// assignments: each evaluation sets the fitted values, integrates with LSODA
// to the measured times (dense output, no restarts) and forms the weighted
// residuals. Nothing is parsed or allocated per evaluation.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data_table.h"
#include "fit_problem.h"
#include "model/krm_parser.h"
#include "numeric/lsoda_engine.h"

namespace kora {

// The model text a fit starts from: the model lines as the reader takes them
// and the names the settings give the predefined constants.
struct FitModelSource {
    std::string fileName;
    TextLines modelLines;
    std::vector<std::string> predefinedNames{"t0", "tf", "hr", "Npoints", "_time", "_pi"};
    int32_t defaultPoints = 200;
};

// Where a fitted parameter lives in a compiled model.
struct ParameterTarget {
    enum class Kind { Constant, InitialValue } kind = Kind::Constant;
    int32_t index = 0;
};

// A reported quantity measured in a data set.
struct MeasuredQuantity {
    bool isDefinition = false;
    int32_t index = 0; // dependent variable or auxiliary definition
    const DataColumn* column = nullptr;
    double scale = 1.0; // the residuals are divided by it besides any sd
};

class Experiment : private LsodaRhs {
public:
    Experiment();
    ~Experiment() override;
    Experiment(const Experiment&) = delete;
    Experiment& operator=(const Experiment&) = delete;

    // Builds the model with the table's assignments and checks the table
    // against it. "" on success, else a message naming the file, line and
    // column where the data are at fault, or the model's error.
    std::string Prepare(const FitModelSource& source, const DataTable& table,
                        const std::vector<std::string>& parameterNames, FitWeighting weighting,
                        int32_t logTolerance);

    size_t ResidualCount() const { return residualCount_; }
    // The value of a parameter in this data set's model (its start).
    double ModelValue(size_t parameter) const;

    // Residuals (model - data) / weight at `values` (one per parameter) into
    // `residuals`; false when the model cannot be solved there.
    bool Evaluate(const double* values, double* residuals);
    // The same residuals unweighted, and divided by sd only, for the report.
    bool PlainResiduals(const double* values, double* plain, double* bySd);

    // The model's values at `times` for each quantity of the table (rows by
    // time, then quantity), at `values`; for drawing fitted curves.
    bool Trajectory(const double* values, const std::vector<double>& times,
                    std::vector<double>& out);

    const DataTable& table() const { return table_; }
    const KRMparser& model() const { return *model_; }
    // For reading the model's power-law form; evaluations must not overlap.
    KRMparser& model() { return *model_; }
    const std::vector<MeasuredQuantity>& quantities() const { return quantities_; }
    std::string failure; // why the last evaluation could not solve

private:
    bool Derivatives(double t, const double* y, double* ydot) override;
    std::string CheckTable();
    std::string LocateParameters(const std::vector<std::string>& names);
    std::string CheckParameterUse(const std::vector<std::string>& names,
                                  const TextLines& lines) const;
    void SetWeights(FitWeighting weighting);
    void ApplyValues(const double* values);
    bool SolveAt(const std::vector<double>& times, double* out, size_t stride);
    // The auxiliary definitions at (t, y), in order; false on a failure.
    bool EvaluateDefinitions(double t, const double* y);
    bool Outputs(double t, const double* y, double* out);

    std::unique_ptr<KRMForm> form_;
    std::unique_ptr<ErrorDisplay> sink_;
    std::unique_ptr<KRMparser> model_;
    TextLines lines_;
    DataTable table_;
    std::vector<ParameterTarget> targets_;
    std::vector<MeasuredQuantity> quantities_;
    std::vector<double> weights_; // per residual, rows by time then quantity
    size_t residualCount_ = 0;
    double rtol_ = 1e-10;

    LsodaEngine engine_;
    std::vector<double> constants_, initial_, y_, aux_, stack_, outputs_;
};

} // namespace kora
