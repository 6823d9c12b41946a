// Build: turns the statements read from the model lines into a compiled
// model, step by step; the first failure stops it with its code in the sink.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "common/general_number.h"
#include "fused_code.h"
#include "krm_parser.h"
#include "postfix_words.h"

namespace kora {
namespace {

constexpr double kMachinePrecision = 2.22044604926e-16;
// Report intervals at or below this are refused.
constexpr double kSmallestInterval = 2.0 * kMachinePrecision;

constexpr int kCodeInitialNotConstant = 9;
constexpr int kCodeInitialMissing = 11;
constexpr int kCodeZeroInterval = 20;
constexpr int kCodeEventNotConstant = 21;
constexpr int kCodeEventTarget = 22;
constexpr int kCodeIntervalTooSmall = 31;

// Error messages quote numbers as the model writes them, in every locale.
std::string ShortNumber(double value) {
    return GeneralNumber(value, 8);
}

Statement* FindNamed(std::vector<Statement>& list, NameIndex& index, const std::string& name) {
    const int32_t position = index.Find(list, name);
    return position >= 0 ? &list[static_cast<size_t>(position)] : nullptr;
}

class ModelBuilder {
public:
    explicit ModelBuilder(KRMparser& model) : model_(model) {}

    void Run() {
        AddPredefinedConstants();
        if (!ResolveConstants()) return;
        NumberIndependentVariables();
        if (!TakeTimeSettings()) return;
        if (!TimeEvents()) return;
        if (!CompileDefinitions()) return;
        if (!CompileEquations()) return;
        // Every event is compiled, whenever it falls: a fault in one is a
        // fault of the model, whatever the time span of this run.
        if (!CompileEvents()) return;
        if (!CompileStateEvents(model_)) return;
        AddEquationSwitches(model_);
        PlaceEvents();
        if (!CheckInitialValues()) return;
        SelectOutputs();
    }

private:
    Statement* Equation(const std::string& name) {
        return FindNamed(model_.equations, model_.nameIndexes.equations, name);
    }
    Statement* Definition(const std::string& name) {
        return FindNamed(model_.definitions, model_.nameIndexes.definitions, name);
    }
    Statement* Constant(const std::string& name) {
        return FindNamed(model_.constants, model_.nameIndexes.constants, name);
    }
    Statement* UsableConstant(const std::string& name) {
        Statement* constant = Constant(name);
        return constant != nullptr && constant->state != kStateUndefined ? constant : nullptr;
    }

    // A setting left empty falls back to the usual name: a nameless
    // predefined constant could not be found again.
    const std::string& Predefined(KRMparser::PredefinedName which) const {
        static const std::string kUsual[] = {"t0", "tf", "hr", "Npoints", "_time", "_pi"};
        const std::string& name = model_.predefinedNames[which];
        return name.empty() ? kUsual[which] : name;
    }
    Statement& PredefinedConstant(KRMparser::PredefinedName which) {
        return *Constant(Predefined(which));
    }
    bool Fail(int code, const std::string& context) {
        model_.SetError(code, context);
        return false;
    }

    void AddPredefinedConstant(const std::string& name, double value, bool usable) {
        Statement constant;
        constant.name = name;
        constant.value = value;
        constant.state = usable ? kStateDefined : kStateUndefined;
        model_.constants.push_back(std::move(constant));
    }

    void AddPredefinedConstants() {
        AddPredefinedConstant(Predefined(KRMparser::kPi), 3.141592653589793, true);
        AddPredefinedConstant(Predefined(KRMparser::kInitialTime), 0.0, true);
        AddPredefinedConstant(Predefined(KRMparser::kFinalTime), 1.0, true);
        AddPredefinedConstant(Predefined(KRMparser::kReportInterval), 0.1, false);
        AddPredefinedConstant(Predefined(KRMparser::kPoints), 200.0, false);
    }

    // A constant right side: an initial value, a predefined constant set by
    // the model (its text marks it as assigned), or a new constant.
    void Assign(Statement& assignment, double value) {
        if (Statement* variable = Equation(assignment.name)) {
            variable->value = value;
            variable->state = kStateDefined;
        } else if (Statement* constant = Constant(assignment.name)) {
            constant->text = assignment.text;
            constant->offset = assignment.offset;
            constant->length = assignment.length;
            constant->start = assignment.start;
            constant->value = value;
            constant->state = kStateDefined;
        } else {
            assignment.value = value;
            assignment.state = kStateDefined;
            model_.constants.push_back(assignment);
        }
    }

    // Repeated passes, so that a constant may use constants defined below it.
    bool ResolveConstants() {
        pending_ = model_.assignments;
        for (bool changed = true; changed;) {
            changed = false;
            // Unresolved ones move up in place: erasing one at a time would
            // make a pass quadratic in the number of assignments.
            size_t kept = 0;
            for (size_t i = 0; i < pending_.size(); ++i) {
                Statement& assignment = pending_[i];
                double value = 0.0;
                int result = model_.Compile(kModeGeneral, assignment.text, assignment.start, value,
                                            nullptr, nullptr, true);
                if (result == 0) return false;
                if (result == 2) {
                    Assign(assignment, value);
                    changed = true;
                } else {
                    if (kept != i) pending_[kept] = std::move(assignment);
                    ++kept;
                }
            }
            pending_.resize(kept);
        }
        return true;
    }

    void NumberIndependentVariables() {
        const int32_t n = static_cast<int32_t>(model_.equations.size());
        int32_t j = 0;
        for (const Statement& line : model_.keywordLines) {
            if (line.name != model_.keywords[0]) continue;
            for (const std::string& name : ListedNames(line)) {
                Statement* constant = UsableConstant(name);
                // A name listed twice keeps its first position.
                if (constant == nullptr || constant->valueIndex != 0) continue;
                constant->valueIndex = n + j++;
            }
        }
        model_.nIndependent = j;
        model_.nParameters = static_cast<int32_t>(model_.constants.size()) - j;
    }

    bool TakeTimeSettings() {
        model_.t0 = PredefinedConstant(KRMparser::kInitialTime).value;
        model_.tf = PredefinedConstant(KRMparser::kFinalTime).value;
        const Statement& interval = PredefinedConstant(KRMparser::kReportInterval);
        const Statement& points = PredefinedConstant(KRMparser::kPoints);
        const bool intervalAssigned = !interval.text.empty();
        if (intervalAssigned) {
            model_.hr = std::fabs(interval.value);
            if (model_.hr == 0.0) return Fail(kCodeZeroInterval, interval.text);
            if (model_.hr <= kSmallestInterval) {
                model_.SetError(kCodeIntervalTooSmall, interval.text,
                                interval.name + " must be greater than " +
                                    ShortNumber(kSmallestInterval) + ".");
                return false;
            }
        }
        if (!points.text.empty()) {
            double count = std::trunc(points.value);
            // Fewer than one point would divide the time span by zero.
            if (count < 1.0 && !intervalAssigned) return Fail(kCodeZeroInterval, points.text);
            if (count >= 1.0)
                model_.nPoints = static_cast<int32_t>(
                    std::min(count, double(std::numeric_limits<int32_t>::max())));
        } else if (!intervalAssigned) {
            model_.nPoints = std::max(model_.defaultPoints, 1);
        }
        if (!intervalAssigned) model_.hr = std::fabs(model_.tf - model_.t0) / model_.nPoints;
        model_.backward = model_.t0 > model_.tf;
        model_.tCurrent = model_.t0;
        return true;
    }

    // Event times named by a constant take its value.
    bool TimeEvents() {
        for (Statement& event : model_.events) {
            if (event.eventTimeName.empty()) continue;
            Statement* constant = UsableConstant(event.eventTimeName);
            if (constant == nullptr) return Fail(kCodeEventNotConstant, event.text);
            event.eventTime = constant->value;
        }
        return true;
    }

    // Events outside the open time span never happen and are removed. A
    // backward run is mirrored to run forward.
    void PlaceEvents() {
        const double t0 = model_.t0;
        const double span = model_.tf - t0;
        std::vector<Statement> kept;
        for (Statement& event : model_.events) {
            double relative = (event.eventTime - t0) / span;
            if (!(relative > 0.0 && relative < 1.0)) continue;
            if (model_.backward) event.eventTime = t0 + std::fabs(event.eventTime - t0);
            kept.push_back(std::move(event));
        }
        if (model_.backward) model_.tf = t0 + std::fabs(span);
        std::stable_sort(kept.begin(), kept.end(), [](const Statement& a, const Statement& b) {
            return a.eventTime < b.eventTime;
        });
        model_.events = std::move(kept);
    }

    // What is left after constant resolution depends on the state: an
    // auxiliary definition, unless it names a dependent variable. Each
    // definition sees only those before it, so evaluation in list order is
    // always up to date.
    bool CompileDefinitions() {
        for (const Statement& assignment : pending_)
            if (Equation(assignment.name) != nullptr)
                return Fail(kCodeInitialNotConstant, assignment.text);
        for (Statement& assignment : pending_) {
            Statement definition = std::move(assignment);
            double value = 0.0;
            if (model_.Compile(kModeGeneral, definition.text, definition.start, value,
                               &definition.code, nullptr, false) == 0)
                return false;
            definition.value = value;
            definition.state = kStateDefined;
            model_.definitions.push_back(std::move(definition));
        }
        pending_.clear();
        return true;
    }

    bool CompileEquations() {
        for (Statement& equation : model_.equations) {
            double value = 0.0;
            if (model_.Compile(kModeGeneral, equation.text, equation.start, value, &equation.code,
                               nullptr, false) == 0) {
                // Unterminated code must never reach the evaluator.
                equation.code.clear();
                return false;
            }
        }
        return true;
    }

    bool CompileEvents() {
        for (Statement& event : model_.events) {
            if (Equation(event.name) == nullptr && Constant(event.name) == nullptr)
                return Fail(kCodeEventTarget, event.text);
            double value = 0.0;
            int result = model_.Compile(kModeGeneral, event.text, event.start, value, nullptr,
                                        nullptr, false);
            if (result == 0) return false;
            // A value that depends on the state is computed when the event
            // happens.
            if (result != 2 && model_.Compile(kModeGeneral, event.text, event.start, value,
                                              &event.code, nullptr, false) == 0)
                return false;
            event.value = value;
            event.state = kStateDefined;
        }
        return true;
    }

    bool CheckInitialValues() {
        std::string missing;
        for (const Statement& equation : model_.equations)
            if (equation.state == kStateUndefined) missing += equation.name + " ";
        return missing.empty() || Fail(kCodeInitialMissing, missing);
    }

    void Report(Statement& statement) {
        if (statement.state == kStateReported) return;
        statement.state = kStateReported;
        statement.reportIndex = nextReport_++;
    }

    void SelectOutputs() {
        bool listed = false;
        for (const Statement& line : model_.keywordLines) {
            if (line.name != model_.keywords[1]) continue;
            listed = true;
            for (const std::string& name : ListedNames(line)) {
                if (Statement* s = Equation(name))
                    Report(*s);
                else if (Statement* d = Definition(name))
                    Report(*d);
                else if (Statement* c = UsableConstant(name))
                    Report(*c);
            }
        }
        if (listed) return;
        for (Statement& definition : model_.definitions)
            Report(definition);
        for (Statement& equation : model_.equations)
            Report(equation);
    }

    KRMparser& model_;
    std::vector<Statement> pending_;
    int32_t nextReport_ = 1;
};

} // namespace

std::vector<std::string> ListedNames(const Statement& line) {
    std::vector<std::string> names;
    std::string current;
    for (size_t i = static_cast<size_t>(line.start); i <= line.text.size(); ++i) {
        char c = i < line.text.size() ? line.text[i] : ',';
        if (c == ',' || c == ' ' || c == '\t') {
            if (!current.empty()) names.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    return names;
}

void KRMparser::Build(const TextLines& modelLines) {
    lines = &modelLines;
    if (errorSink != nullptr) errorSink->ClearError();
    eventIndex = 0;
    stackDepth = 0;
    title.clear();
    random.Restart();
    if (!ReadStatements()) return;
    ModelBuilder(*this).Run();
    std::vector<std::span<const int32_t>> codes[2];
    for (int kind = 0; kind < 2; ++kind) {
        for (Statement& statement : kind == 0 ? definitions : equations) {
            statement.fused = FuseCode(statement.code);
            codes[kind].emplace_back(statement.code);
        }
    }
    fusedSystem = FuseSystem(codes[0], codes[1]);
}

} // namespace kora
