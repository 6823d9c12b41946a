#include "experiment.h"

#include <algorithm>
#include <cmath>

#include "common/ascii_case.h"
#include "model/messages.h"
#include "results/number_text.h"
#include "script/script_execution.h"

namespace kora {

namespace {

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// `name` occurs in `text` as a whole name.
bool MentionsName(std::string_view text, std::string_view name) {
    for (size_t at = text.find(name); at != std::string_view::npos; at = text.find(name, at + 1)) {
        const bool before = at > 0 && IsNameChar(text[at - 1]);
        const size_t end = at + name.size();
        const bool after = end < text.size() && IsNameChar(text[end]);
        if (!before && !after) return true;
    }
    return false;
}

// The name assigned on a model line ("k = ...", not "X' = ..." nor "@ ..."),
// and the expression after "=", comment removed.
bool SplitAssignment(const std::string& line, std::string& name, std::string& expression) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    const size_t begin = i;
    while (i < line.size() && IsNameChar(line[i]))
        ++i;
    if (i == begin) return false;
    name = line.substr(begin, i - begin);
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    if (i >= line.size() || line[i] != '=') return false;
    expression = line.substr(i + 1);
    const size_t comment = expression.find("//");
    if (comment != std::string::npos) expression.resize(comment);
    return true;
}

int32_t FindByName(const std::vector<Statement>& list, const std::string& name) {
    for (size_t i = 0; i < list.size(); ++i)
        if (!list[i].name.empty() && list[i].name == name) return static_cast<int32_t>(i);
    return -1;
}

} // namespace

Experiment::Experiment()
    : form_(std::make_unique<KRMForm>()), sink_(std::make_unique<ErrorDisplay>()),
      model_(std::make_unique<KRMparser>(form_.get(), sink_.get())) {}

Experiment::~Experiment() = default;

std::string Experiment::Prepare(const FitModelSource& source, const DataTable& table,
                                const std::vector<std::string>& parameterNames,
                                FitWeighting weighting, int32_t logTolerance) {
    table_ = table;
    rtol_ = std::pow(10.0, -logTolerance);
    KRMparser& model = *model_;
    model.predefinedNames = source.predefinedNames;
    model.defaultPoints = source.defaultPoints;
    lines_ = source.modelLines;
    for (const std::string& assignment : table_.assignments)
        ApplyAssignment(model, lines_, assignment);
    model.Build(lines_);
    if (sink_->code != 0) {
        std::string text = std::string(ModelMessage(sink_->code)) + " " + sink_->context;
        if (!table_.assignments.empty())
            text += " (with the assignments of " + table_.fileName + ")";
        return source.fileName + ": error: " + text;
    }
    if (model.VariableCount() == 0)
        return source.fileName + ": error: the model has no differential equation";
    if (!model.events.empty())
        return source.fileName +
               ": error: fitting a model with timed assignments is not supported; "
               "give each phase its own data set instead";
    if (model.backward) return source.fileName + ": error: fitting needs t0 < tf";
    if (std::string failure = LocateParameters(parameterNames); !failure.empty())
        return source.fileName + ": error: " + failure;
    if (std::string failure = CheckParameterUse(parameterNames, lines_); !failure.empty())
        return source.fileName + ": error: " + failure;
    if (std::string failure = CheckTable(); !failure.empty()) return failure;
    SetWeights(weighting);

    const size_t n = model.VariableCount();
    constants_.resize(model.constants.size());
    for (size_t j = 0; j < model.constants.size(); ++j)
        constants_[j] = model.constants[j].value;
    initial_.resize(n);
    for (size_t i = 0; i < n; ++i)
        initial_[i] = model.equations[i].value;
    y_.assign(n, 0.0);
    aux_.assign(model.definitions.size(), 0.0);
    stack_.assign(std::max<size_t>(1, model.stackDepth), 0.0);
    outputs_.assign(table_.times.size() * quantities_.size(), 0.0);
    engine_.Allocate(static_cast<int>(n));
    return {};
}

std::string Experiment::LocateParameters(const std::vector<std::string>& names) {
    const KRMparser& model = *model_;
    targets_.clear();
    for (const std::string& name : names) {
        const int32_t equation = FindByName(model.equations, name);
        if (equation >= 0) {
            targets_.push_back({ParameterTarget::Kind::InitialValue, equation});
            continue;
        }
        const int32_t constant = FindByName(model.constants, name);
        const bool predefined =
            std::find(model.predefinedNames.begin(), model.predefinedNames.end(), name) !=
            model.predefinedNames.end();
        if (constant < 0 || predefined)
            return name + " is neither a constant nor a dependent variable's initial value";
        targets_.push_back({ParameterTarget::Kind::Constant, constant});
    }
    return {};
}

std::string Experiment::CheckParameterUse(const std::vector<std::string>& names,
                                          const TextLines& lines) const {
    // A constant or initial value computed from a fitted constant was
    // computed once, at the build; it would not follow the fit.
    const KRMparser& model = *model_;
    for (const std::string& line : lines) {
        std::string assigned, expression;
        if (!SplitAssignment(line, assigned, expression)) continue;
        const bool fixedValue = FindByName(model.constants, assigned) >= 0 ||
                                FindByName(model.equations, assigned) >= 0;
        if (!fixedValue) continue;
        for (const std::string& name : names)
            if (assigned != name && MentionsName(expression, name))
                return assigned + " is computed from the fitted " + name +
                       " once, before solving; fit " + assigned +
                       " itself or write its expression where it is used";
    }
    return {};
}

std::string Experiment::CheckTable() {
    const KRMparser& model = *model_;
    const std::string& time = table_.timeName;
    const std::string& timeName = model.predefinedNames[KRMparser::kTimeVariable];
    if (!EqualsIgnoringCase(time, "t") && !EqualsIgnoringCase(time, "time") && time != timeName)
        return DataPlace(table_.fileName, table_.headerLine, table_.timeHeaderColumn) +
               "error: the first column must be the time (t, time or " + timeName + "), not '" +
               time + "'";
    quantities_.clear();
    for (const DataColumn& column : table_.columns) {
        MeasuredQuantity quantity;
        quantity.column = &column;
        int32_t index = FindByName(model.equations, column.name);
        if (index < 0) {
            index = FindByName(model.definitions, column.name);
            quantity.isDefinition = true;
        }
        if (index < 0)
            return DataPlace(table_.fileName, table_.headerLine, column.headerColumn) +
                   "error: " + column.name +
                   " is not a dependent variable or auxiliary definition of the model";
        quantity.index = index;
        quantities_.push_back(quantity);
    }
    const double span = model.tf - model.t0;
    for (size_t r = 0; r < table_.times.size(); ++r) {
        const double t = table_.times[r];
        const std::string place =
            DataPlace(table_.fileName, table_.rowLines[r], table_.timeColumns[r]);
        if (r > 0 && !(t > table_.times[r - 1]))
            return place + "error: the time " + FormatGeneral(t, 10) +
                   (t == table_.times[r - 1] ? " is repeated" : " is smaller than the one before");
        if (t < model.t0 - 1e-12 * std::fabs(span) || t > model.tf + 1e-12 * std::fabs(span))
            return place + "error: the time " + FormatGeneral(t, 10) +
                   " lies outside the model's time span " + FormatGeneral(model.t0, 10) + " to " +
                   FormatGeneral(model.tf, 10);
    }
    return {};
}

void Experiment::SetWeights(FitWeighting weighting) {
    for (MeasuredQuantity& quantity : quantities_) {
        quantity.scale = 1.0;
        if (weighting != FitWeighting::Range) continue;
        double low = kUnbounded, high = -kUnbounded;
        for (double v : quantity.column->values)
            if (!std::isnan(v)) low = std::min(low, v), high = std::max(high, v);
        if (high > low) quantity.scale = high - low;
    }
    weights_.clear();
    for (size_t r = 0; r < table_.times.size(); ++r)
        for (const MeasuredQuantity& quantity : quantities_) {
            const DataColumn& column = *quantity.column;
            if (std::isnan(column.values[r])) continue;
            const bool hasSd = !column.sd.empty() && !std::isnan(column.sd[r]);
            weights_.push_back(hasSd ? column.sd[r] : quantity.scale);
        }
    residualCount_ = weights_.size();
}

double Experiment::ModelValue(size_t parameter) const {
    const ParameterTarget& target = targets_[parameter];
    return target.kind == ParameterTarget::Kind::Constant ? model_->constants[target.index].value
                                                          : model_->equations[target.index].value;
}

void Experiment::ApplyValues(const double* values) {
    const KRMparser& model = *model_;
    for (size_t j = 0; j < model.constants.size(); ++j)
        constants_[j] = model.constants[j].value;
    for (size_t i = 0; i < initial_.size(); ++i)
        initial_[i] = model.equations[i].value;
    for (size_t p = 0; p < targets_.size(); ++p) {
        const ParameterTarget& target = targets_[p];
        (target.kind == ParameterTarget::Kind::Constant ? constants_ : initial_)[target.index] =
            values[p];
    }
}

bool Experiment::EvaluateDefinitions(double t, const double* y) {
    const KRMparser& model = *model_;
    for (size_t j = 0; j < aux_.size(); ++j) {
        int error = 0;
        aux_[j] = model.Evaluate(1, static_cast<int>(j), t, y, aux_.data(), constants_.data(),
                                 error, stack_.data());
        if (error != 0) return false;
    }
    return true;
}

bool Experiment::Derivatives(double t, const double* y, double* ydot) {
    const KRMparser& model = *model_;
    if (!EvaluateDefinitions(t, y)) return false;
    for (size_t i = 0; i < initial_.size(); ++i) {
        int error = 0;
        ydot[i] = model.Evaluate(0, static_cast<int>(i), t, y, aux_.data(), constants_.data(),
                                 error, stack_.data());
        if (error != 0) return false;
    }
    return true;
}

bool Experiment::Outputs(double t, const double* y, double* out) {
    if (!EvaluateDefinitions(t, y)) return false;
    for (size_t q = 0; q < quantities_.size(); ++q) {
        const MeasuredQuantity& quantity = quantities_[q];
        out[q] = quantity.isDefinition ? aux_[quantity.index] : y[quantity.index];
        if (!std::isfinite(out[q])) return false;
    }
    return true;
}

bool Experiment::SolveAt(const std::vector<double>& times, double* out, size_t stride) {
    const int n = static_cast<int>(initial_.size());
    const double t0 = model_->t0;
    std::copy(initial_.begin(), initial_.end(), y_.begin());
    size_t row = 0;
    for (; row < times.size() && times[row] <= t0; ++row)
        if (!Outputs(t0, y_.data(), out + row * stride)) return false;
    if (row == times.size()) return true;

    engine_.Allocate(n);
    const double atol = 1000.0 * kLsodaEta;
    if (engine_.Start(*this, t0, times.back(), y_.data(), rtol_, atol) !=
        LsodaEngine::StartResult::Ok) {
        failure = "the solver could not start";
        return false;
    }
    bool first = true;
    for (; row < times.size(); ++row) {
        const double tout = times[row];
        if (!engine_.StepPast(*this, tout, first)) {
            failure = "the solver failed at t = " + FormatGeneral(engine_.tn, 7);
            return false;
        }
        if (engine_.intdy(tout, 0, y_.data()) != 0 ||
            !Outputs(tout, y_.data(), out + row * stride)) {
            failure = "the model cannot be evaluated at t = " + FormatGeneral(tout, 7);
            return false;
        }
    }
    return true;
}

bool Experiment::Evaluate(const double* values, double* residuals) {
    ApplyValues(values);
    if (!SolveAt(table_.times, outputs_.data(), quantities_.size())) return false;
    size_t k = 0;
    for (size_t r = 0; r < table_.times.size(); ++r)
        for (size_t q = 0; q < quantities_.size(); ++q) {
            const double data = quantities_[q].column->values[r];
            if (std::isnan(data)) continue;
            residuals[k] = (outputs_[r * quantities_.size() + q] - data) / weights_[k];
            ++k;
        }
    return true;
}

bool Experiment::PlainResiduals(const double* values, double* plain, double* bySd) {
    ApplyValues(values);
    if (!SolveAt(table_.times, outputs_.data(), quantities_.size())) return false;
    size_t k = 0;
    for (size_t r = 0; r < table_.times.size(); ++r)
        for (size_t q = 0; q < quantities_.size(); ++q) {
            const DataColumn& column = *quantities_[q].column;
            if (std::isnan(column.values[r])) continue;
            plain[k] = outputs_[r * quantities_.size() + q] - column.values[r];
            const bool hasSd = !column.sd.empty() && !std::isnan(column.sd[r]);
            bySd[k] = hasSd ? plain[k] / column.sd[r] : plain[k];
            ++k;
        }
    return true;
}

bool Experiment::Trajectory(const double* values, const std::vector<double>& times,
                            std::vector<double>& out) {
    ApplyValues(values);
    out.assign(times.size() * quantities_.size(), 0.0);
    return SolveAt(times, out.data(), quantities_.size());
}

} // namespace kora
