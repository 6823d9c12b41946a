#include "ssystem_identify.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/messages.h"
#include "numeric/kernels/minpack_lm.h"
#include "small_least_squares.h"

namespace kora {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// Alternating regressions converge slowly near the answer; a few bring the
// equation into the basin where a Levenberg-Marquardt fit of its slopes
// takes over.
constexpr int kMaxAlternations = 100;

// What a fitted parameter is in the power-law form.
struct Role {
    enum class Kind { None, Rate, Order } kind = Kind::None;
    int equation = -1;
    int term = -1;         // 0 production, 1 degradation
    uint32_t position = 0; // of an order
};

int32_t ConstantIndex(const KRMparser& model, const std::string& name) {
    for (size_t j = 0; j < model.constants.size(); ++j)
        if (model.constants[j].name == name) return static_cast<int32_t>(j);
    return -1;
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

double Order(const GMATerm& term, uint32_t position) {
    const auto found = term.exponents.find(position);
    return found == term.exponents.end() ? 0.0 : found->second;
}

// The form's terms do not depend on the initial values, but building it
// refuses values that are not positive; they are set aside meanwhile.
bool BuildClassified(KRMparser& model, KRMForm& form) {
    std::vector<double> initial;
    for (Statement& equation : model.equations) {
        initial.push_back(equation.value);
        if (!(equation.value > 0.0)) equation.value = 1.0;
    }
    const bool built = model.BuildForm() && !model.HasErrors();
    for (size_t i = 0; i < initial.size(); ++i)
        model.equations[i].value = initial[i];
    if (!built) return false;
    form = *model.form;
    ClassifyForm(form);
    return true;
}

// Compares the form with one constant changed from v to w against the base
// form and names the one coefficient or kinetic order that followed it.
bool RoleFromChange(const KRMForm& base, const KRMForm& changed, double v, double w, Role& role) {
    if (base.size() != changed.size()) return false;
    int found = 0;
    for (size_t i = 0; i < base.size(); ++i) {
        const auto& a = base.equations[i].terms;
        const auto& b = changed.equations[i].terms;
        if (a.size() != b.size()) return false;
        for (size_t t = 0; t < a.size(); ++t) {
            const bool sameCoefficient = Near(a[t].coefficient, b[t].coefficient);
            if (!sameCoefficient) {
                if (v == 0.0 || !Near(b[t].coefficient / a[t].coefficient, w / v)) return false;
                role = {Role::Kind::Rate, static_cast<int>(i), static_cast<int>(t), 0};
                ++found;
            }
            std::vector<uint32_t> positions;
            for (const auto& [p, order] : a[t].exponents)
                positions.push_back(p);
            for (const auto& [p, order] : b[t].exponents)
                positions.push_back(p);
            std::sort(positions.begin(), positions.end());
            positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
            for (uint32_t p : positions) {
                const double before = Order(a[t], p), after = Order(b[t], p);
                if (Near(before, after)) continue;
                if (!Near(after - before, w - v) || !sameCoefficient) return false;
                role = {Role::Kind::Order, static_cast<int>(i), static_cast<int>(t), p};
                ++found;
            }
        }
    }
    return found == 1;
}

std::string FindRoles(FitObjective& objective, KRMForm& base, std::vector<Role>& roles) {
    KRMparser& model = objective.experiments().front()->model();
    if (!BuildClassified(model, base))
        return "error: the S-system method needs a model in power-law form: " +
               std::string(ModelMessage(model.errorSink->code)) + " " + model.errorSink->context;
    roles.assign(objective.ParameterCount(), Role{});
    for (size_t p = 0; p < roles.size(); ++p) {
        const int32_t j = ConstantIndex(model, objective.names()[p]);
        if (j < 0) continue; // an initial value: left to the local fit
        const double v = model.constants[j].value;
        const double w = 1.25 * v + 0.375;
        model.constants[j].value = w;
        KRMForm changed;
        const bool built = BuildClassified(model, changed);
        model.constants[j].value = v;
        if (!built || !RoleFromChange(base, changed, v, w, roles[p]))
            return "error: the S-system method needs each fitted constant to be one rate "
                   "constant or kinetic order; " +
                   objective.names()[p] + " is not";
        const GMAexpression& equation = base.equations[roles[p].equation];
        if (equation.equationType != kEquationSSystem)
            return "error: the S-system method needs one production and one degradation term "
                   "in the equation where " +
                   objective.names()[p] + " appears";
        if (roles[p].kind == Role::Kind::Order && roles[p].position >= model.VariableCount())
            return "error: " + objective.names()[p] +
                   " is the kinetic order of an independent variable, which does not change "
                   "within a data set; the S-system method cannot estimate it";
    }
    BuildClassified(model, base);
    return {};
}

// Local cubic through the window [first, first + width) of the present
// points, leaving out `skip` (-1: none); its value and slope at `t`.
bool LocalCubic(const std::vector<double>& times, const std::vector<double>& values,
                const std::vector<size_t>& present, int first, int width, int skip, double t,
                double& value, double& slope) {
    const int points = width - (skip >= first && skip < first + width ? 1 : 0);
    const int degree = std::min(3, points - 2);
    if (degree < 1) return false;
    double span = 0.0;
    for (int i = first; i < first + width; ++i)
        span = std::max(span, std::fabs(times[present[i]] - t));
    std::vector<double> rows, b;
    for (int i = first; i < first + width; ++i) {
        if (i == skip) continue;
        const double u = (times[present[i]] - t) / span;
        double power = 1.0;
        for (int d = 0; d <= degree; ++d, power *= u)
            rows.push_back(power);
        b.push_back(values[present[i]]);
    }
    std::vector<double> c;
    if (!SolveSmallLeastSquares(rows, b, degree + 1, c)) return false;
    value = c[0];
    slope = c[1] / span;
    return true;
}

std::vector<size_t> PresentRows(const std::vector<double>& values) {
    std::vector<size_t> present;
    for (size_t r = 0; r < values.size(); ++r)
        if (!std::isnan(values[r])) present.push_back(r);
    return present;
}

// The window that predicts each left-out point best: the narrowest for
// exact data (least bias), wider as noise grows.
int ChooseHalfWidth(const std::vector<double>& times, const std::vector<double>& values) {
    const std::vector<size_t> present = PresentRows(values);
    const int count = static_cast<int>(present.size());
    int best = 2;
    double bestError = std::numeric_limits<double>::infinity();
    for (int half : {2, 3, 4, 6, 8, 12}) {
        const int width = 2 * half + 1;
        if (width + 1 > count) break;
        double error = 0.0;
        for (int k = 0; k < count; ++k) {
            const int first = std::clamp(k - half, 0, count - width);
            double value = 0.0, slope = 0.0;
            if (!LocalCubic(times, values, present, first, width, k, times[present[k]], value,
                            slope))
                continue;
            error += (value - values[present[k]]) * (value - values[present[k]]);
        }
        if (error < bestError) bestError = error, best = half;
    }
    return best;
}

// Smoothed values and slopes of every dependent variable at the rows of one data set.
struct SmoothedSet {
    std::vector<std::vector<double>> value, slope; // [variable][row]
    std::vector<double> independent;               // by value position, from n on
};

SmoothedSet SmoothExperiment(Experiment& experiment) {
    const KRMparser& model = experiment.model();
    const DataTable& table = experiment.table();
    const size_t n = model.VariableCount(), rows = table.times.size();
    SmoothedSet set;
    set.value.assign(n, std::vector<double>(rows, kNaN));
    set.slope.assign(n, std::vector<double>(rows, kNaN));
    for (const MeasuredQuantity& quantity : experiment.quantities())
        if (!quantity.isDefinition) {
            const std::vector<double>& values = quantity.column->values;
            SmoothSeries(table.times, values, ChooseHalfWidth(table.times, values),
                         set.value[quantity.index], set.slope[quantity.index]);
        }
    for (const Statement& constant : model.constants)
        if (constant.valueIndex > 0) {
            set.independent.resize(
                std::max<size_t>(set.independent.size(), constant.valueIndex - n + 1), kNaN);
            set.independent[constant.valueIndex - n] = constant.value;
        }
    return set;
}

// One equation's data: log values of every position its terms read, and the slope.
struct EquationData {
    std::vector<uint32_t> positions;
    std::vector<std::vector<double>> logs; // [point][position]
    std::vector<double> values;            // [point][position] flattened, for the terms
    std::vector<double> slopes;
};

EquationData CollectEquation(const GMAexpression& equation, size_t variable,
                             const std::vector<SmoothedSet>& sets, size_t n) {
    EquationData data;
    for (const GMATerm& term : equation.terms)
        for (const auto& [p, order] : term.exponents)
            data.positions.push_back(p);
    std::sort(data.positions.begin(), data.positions.end());
    data.positions.erase(std::unique(data.positions.begin(), data.positions.end()),
                         data.positions.end());
    for (const SmoothedSet& set : sets) {
        const size_t rows = set.slope[variable].size();
        for (size_t r = 0; r < rows; ++r) {
            const double slope = set.slope[variable][r];
            if (std::isnan(slope)) continue;
            std::vector<double> logs;
            for (uint32_t p : data.positions) {
                const double x =
                    p < n ? set.value[p][r]
                          : (p - n < set.independent.size() ? set.independent[p - n] : kNaN);
                if (!(x > 0.0)) break;
                logs.push_back(std::log(x));
            }
            if (logs.size() != data.positions.size()) continue;
            data.logs.push_back(std::move(logs));
            data.slopes.push_back(slope);
        }
    }
    return data;
}

// A term's coefficient and orders, on the equation's positions.
struct TermState {
    double logCoefficient = 0.0;
    std::vector<double> orders;
    bool coefficientFree = false;
    std::vector<bool> orderFree;
};

double TermValue(const TermState& term, const std::vector<double>& logs) {
    double s = term.logCoefficient;
    for (size_t j = 0; j < logs.size(); ++j)
        s += term.orders[j] * logs[j];
    return std::exp(s);
}

// Refits the free parts of `term` so that it matches target_k = sign * (slope_k) + other_k.
bool RegressTerm(TermState& term, const EquationData& data, const TermState& other, double sign) {
    std::vector<double> rows, b;
    int columns = term.coefficientFree ? 1 : 0;
    for (bool f : term.orderFree)
        columns += f ? 1 : 0;
    if (columns == 0) return true;
    for (size_t k = 0; k < data.slopes.size(); ++k) {
        const double target = sign * data.slopes[k] + TermValue(other, data.logs[k]);
        if (!(target > 0.0)) continue;
        double rhs = std::log(target);
        if (!term.coefficientFree)
            rhs -= term.logCoefficient;
        else
            rows.push_back(1.0);
        for (size_t j = 0; j < term.orders.size(); ++j) {
            if (term.orderFree[j])
                rows.push_back(data.logs[k][j]);
            else
                rhs -= term.orders[j] * data.logs[k][j];
        }
        b.push_back(rhs);
    }
    std::vector<double> x;
    if (!SolveSmallLeastSquares(rows, b, columns, x)) return false;
    int c = 0;
    if (term.coefficientFree) term.logCoefficient = x[c++];
    for (size_t j = 0; j < term.orders.size(); ++j)
        if (term.orderFree[j]) term.orders[j] = x[c++];
    return true;
}

double SlopeError(const TermState& production, const TermState& degradation,
                  const EquationData& data) {
    double sum = 0.0;
    for (size_t k = 0; k < data.slopes.size(); ++k) {
        const double r = TermValue(production, data.logs[k]) -
                         TermValue(degradation, data.logs[k]) - data.slopes[k];
        sum += r * r;
    }
    return sum;
}

// The free parts of both terms as one vector and back.
std::vector<double> FreeParts(const TermState (&terms)[2]) {
    std::vector<double> x;
    for (const TermState& term : terms) {
        if (term.coefficientFree) x.push_back(term.logCoefficient);
        for (size_t j = 0; j < term.orders.size(); ++j)
            if (term.orderFree[j]) x.push_back(term.orders[j]);
    }
    return x;
}

void SetFreeParts(TermState (&terms)[2], const double* x) {
    int c = 0;
    for (TermState& term : terms) {
        if (term.coefficientFree) term.logCoefficient = x[c++];
        for (size_t j = 0; j < term.orders.size(); ++j)
            if (term.orderFree[j]) term.orders[j] = x[c++];
    }
}

// Least squares on the slopes of one equation: production - degradation -
// slope at every point, over the free parts (no model solve is needed).
void RefineOnSlopes(TermState (&terms)[2], const EquationData& data) {
    std::vector<double> x = FreeParts(terms);
    const int n = static_cast<int>(x.size()), m = static_cast<int>(data.slopes.size());
    if (n == 0 || m < n) return;
    TermState trial[2] = {terms[0], terms[1]};
    auto fcn = [&](int, int, const double* u, double* f, int*) {
        SetFreeParts(trial, u);
        for (int k = 0; k < m; ++k)
            f[k] = TermValue(trial[0], data.logs[k]) - TermValue(trial[1], data.logs[k]) -
                   data.slopes[k];
    };
    std::vector<double> fvec(m), diag(n), fjac(static_cast<size_t>(m) * n), qtf(n), wa1(n), wa2(n),
        wa3(n), wa4(m);
    std::vector<int> ipvt(n);
    int info = 0, nfev = 0;
    lmdif(LeastSquaresFcn(fcn), m, n, x.data(), fvec.data(), 1e-12, 1e-12, 0.0, 200 * (n + 1), 0.0,
          diag.data(), 1, 100.0, 0, &info, &nfev, fjac.data(), m, ipvt.data(), qtf.data(),
          wa1.data(), wa2.data(), wa3.data(), wa4.data());
    TermState refined[2] = {terms[0], terms[1]};
    SetFreeParts(refined, x.data());
    if (info > 0 &&
        SlopeError(refined[0], refined[1], data) <= SlopeError(terms[0], terms[1], data)) {
        terms[0] = refined[0];
        terms[1] = refined[1];
    }
}

TermState StateOf(const GMATerm& term, const EquationData& data) {
    TermState state;
    state.logCoefficient = std::log(std::fabs(term.coefficient));
    for (uint32_t p : data.positions)
        state.orders.push_back(Order(term, p));
    state.orderFree.assign(data.positions.size(), false);
    return state;
}

} // namespace

void SmoothSeries(const std::vector<double>& times, const std::vector<double>& values,
                  int halfWidth, std::vector<double>& smooth, std::vector<double>& slope) {
    smooth.assign(times.size(), kNaN);
    slope.assign(times.size(), kNaN);
    const std::vector<size_t> present = PresentRows(values);
    const int count = static_cast<int>(present.size());
    const int width = std::min(2 * halfWidth + 1, count);
    for (int k = 0; k < count; ++k) {
        const int first = std::clamp(k - halfWidth, 0, count - width);
        LocalCubic(times, values, present, first, width, -1, times[present[k]], smooth[present[k]],
                   slope[present[k]]);
    }
}

std::string IdentifySSystem(FitObjective& objective, SSystemEstimate& estimate) {
    KRMForm base;
    std::vector<Role> roles;
    if (std::string failure = FindRoles(objective, base, roles); !failure.empty()) return failure;
    const KRMparser& model = objective.experiments().front()->model();
    const size_t n = model.VariableCount();
    std::vector<SmoothedSet> sets;
    for (auto& experiment : objective.experiments())
        sets.push_back(SmoothExperiment(*experiment));

    estimate.values = objective.starts();
    for (size_t i = 0; i < n; ++i) {
        std::vector<size_t> mine;
        for (size_t p = 0; p < roles.size(); ++p)
            if (roles[p].equation == static_cast<int>(i)) mine.push_back(p);
        if (mine.empty()) continue;
        const GMAexpression& equation = base.equations[i];
        const EquationData data = CollectEquation(equation, i, sets, n);
        if (data.slopes.size() < 4)
            return "error: the S-system method needs measured time courses of " +
                   model.equations[i].name + " and of every variable its equation reads";
        TermState terms[2] = {StateOf(equation.terms[0], data), StateOf(equation.terms[1], data)};
        for (size_t p : mine) {
            TermState& term = terms[roles[p].term];
            if (roles[p].kind == Role::Kind::Rate)
                term.coefficientFree = true;
            else {
                const auto at =
                    std::find(data.positions.begin(), data.positions.end(), roles[p].position);
                term.orderFree[at - data.positions.begin()] = true;
            }
        }
        const TermState initial[2] = {terms[0], terms[1]};
        TermState best[2] = {terms[0], terms[1]};
        double bestError = SlopeError(terms[0], terms[1], data);
        for (int round = 0; round < kMaxAlternations; ++round) {
            ++estimate.iterations;
            const double before = SlopeError(terms[0], terms[1], data);
            // Production = slope + degradation; degradation = production - slope.
            if (!RegressTerm(terms[0], data, terms[1], 1.0)) break;
            if (!RegressTerm(terms[1], data, terms[0], -1.0)) break;
            const double after = SlopeError(terms[0], terms[1], data);
            if (after < bestError) {
                bestError = after;
                best[0] = terms[0];
                best[1] = terms[1];
            }
            if (std::fabs(before - after) <= 1e-14 * std::max(before, 1e-300)) break;
        }
        RefineOnSlopes(best, data);
        for (size_t p : mine) {
            const int t = roles[p].term;
            if (roles[p].kind == Role::Kind::Rate) {
                estimate.values[p] *= std::exp(best[t].logCoefficient - initial[t].logCoefficient);
            } else {
                const size_t j =
                    std::find(data.positions.begin(), data.positions.end(), roles[p].position) -
                    data.positions.begin();
                estimate.values[p] += best[t].orders[j] - initial[t].orders[j];
            }
        }
    }
    return {};
}

} // namespace kora
