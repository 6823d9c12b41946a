#include "ss_sensitivities.h"

#include <cmath>
#include <vector>

#include "kernels/linpack.h"

namespace kora {
namespace {

// Builds M: for an S-system equation g - h; otherwise the flux-weighted
// kinetic orders, consuming terms counting negatively.
void BuildMatrix(const SensitivityInput& in, double* a) {
    const PowerLawTable& t = *in.table;
    const uint32_t n = t.n;
    for (uint32_t k = 0; k < n * n; ++k)
        a[k] = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
        for (uint32_t term = t.termStart[i]; term < t.termStart[i + 1]; ++term) {
            const double weight = t.sSystemEquation[i] ? (term == t.termStart[i] ? 1.0 : -1.0)
                                                       : in.termValues[term] / in.influx[i];
            for (uint32_t f = t.factorStart[term]; f < t.factorStart[term + 1]; ++f) {
                const uint32_t j = t.factorIndex[f];
                if (j < n) a[j * n + i] += weight * t.factorOrder[f];
            }
        }
    }
    if (in.relations == nullptr) return;
    // A held total: sum c_j x_j dln x_j = dT, T's own share on the right.
    for (const ConservationRelation& relation : *in.relations) {
        const uint32_t p = relation.pivot;
        for (uint32_t j = 0; j < n; ++j)
            a[j * n + p] = 0.0;
        for (size_t k = 0; k < relation.variable.size(); ++k)
            a[relation.variable[k] * n + p] = relation.coefficient[k] * in.xe[relation.variable[k]];
    }
}

// Equations replaced by a relation: their terms do not act on the state.
std::vector<bool> ReplacedEquations(const SensitivityInput& in) {
    std::vector<bool> replaced(in.table->n, false);
    if (in.relations != nullptr)
        for (const ConservationRelation& relation : *in.relations)
            replaced[relation.pivot] = true;
    return replaced;
}

// Completes a column: s is already in column[0 .. n); each flux adds its
// direct dependence on the parameter to the effect through the state.
template <class Direct> void FinishColumn(const PowerLawTable& t, double* column, Direct direct) {
    const uint32_t n = t.n;
    for (size_t flux = 0; flux < t.fluxTerm.size(); ++flux) {
        const uint32_t term = t.fluxTerm[flux];
        double value = direct(term);
        for (uint32_t f = t.factorStart[term]; f < t.factorStart[term + 1]; ++f)
            if (t.factorIndex[f] < n) value += t.factorOrder[f] * column[t.factorIndex[f]];
        column[n + flux] = value;
    }
}

class ColumnSolver {
public:
    ColumnSolver(const SensitivityInput& in, const SensitivityWork& work)
        : in_(in), work_(work), n_(static_cast<int>(in.table->n)),
          replaced_(ReplacedEquations(in)) {}

    // Solves M s = r for the r in work.rhs and stores s at the column's top.
    void Solve(double* column) const {
        dgesl(work_.matrix, n_, n_, work_.pivots, work_.rhs, 0);
        for (int i = 0; i < n_; ++i)
            column[i] = work_.rhs[i];
    }
    // Rate and kinetic-order columns have one non-zero right-hand side
    // value r at `equation`: s is r times that column of the inverse.
    void SolveUnit(uint32_t equation, double r, double* column) const {
        const double* unit = work_.inverse + size_t{equation} * n_;
        for (int i = 0; i < n_; ++i)
            column[i] = r * unit[i];
    }
    void ComputeInverse() const {
        for (int j = 0; j < n_; ++j) {
            double* unit = work_.inverse + size_t(j) * n_;
            for (int i = 0; i < n_; ++i)
                unit[i] = i == j ? 1.0 : 0.0;
            dgesl(work_.matrix, n_, n_, work_.pivots, unit, 0);
        }
    }
    double Weight(uint32_t equation, uint32_t term) const {
        return replaced_[equation] ? 0.0 : in_.termValues[term] / in_.influx[equation];
    }

private:
    const SensitivityInput& in_;
    const SensitivityWork& work_;
    int n_;
    std::vector<bool> replaced_;
};

void IndependentColumns(const SensitivityInput& in, const ColumnSolver& solver,
                        const SensitivityWork& work, double* out) {
    const PowerLawTable& t = *in.table;
    const uint32_t length = t.n + static_cast<uint32_t>(t.fluxTerm.size());
    for (uint32_t j = 0; j < in.m; ++j) {
        const uint32_t p = t.n + j;
        double* column = out + static_cast<size_t>(j) * length;
        for (uint32_t i = 0; i < t.n; ++i) {
            double r = 0.0;
            for (uint32_t term = t.termStart[i]; term < t.termStart[i + 1]; ++term)
                r -= solver.Weight(i, term) * t.OrderOf(term, p);
            work.rhs[i] = r;
        }
        solver.Solve(column);
        FinishColumn(t, column, [&](uint32_t term) { return t.OrderOf(term, p); });
    }
}

void RateColumns(const SensitivityInput& in, const ColumnSolver& solver, double* out) {
    const PowerLawTable& t = *in.table;
    const uint32_t length = t.n + static_cast<uint32_t>(t.fluxTerm.size());
    for (uint32_t i = 0; i < t.n; ++i) {
        for (uint32_t term = t.termStart[i]; term < t.termStart[i + 1]; ++term) {
            double* column = out + static_cast<size_t>(term) * length;
            solver.SolveUnit(i, -solver.Weight(i, term), column);
            FinishColumn(t, column, [&](uint32_t w) { return w == term ? 1.0 : 0.0; });
        }
    }
}

void OrderColumns(const SensitivityInput& in, const ColumnSolver& solver, double* out) {
    const PowerLawTable& t = *in.table;
    const uint32_t length = t.n + static_cast<uint32_t>(t.fluxTerm.size());
    for (uint32_t i = 0; i < t.n; ++i) {
        for (uint32_t term = t.termStart[i]; term < t.termStart[i + 1]; ++term) {
            for (uint32_t f = t.factorStart[term]; f < t.factorStart[term + 1]; ++f) {
                double* column = out + static_cast<size_t>(f) * length;
                const double direct = t.factorOrder[f] * std::log(in.xe[t.factorIndex[f]]);
                solver.SolveUnit(i, -solver.Weight(i, term) * direct, column);
                FinishColumn(t, column, [&](uint32_t w) { return w == term ? direct : 0.0; });
            }
        }
    }
}

// d ln x / d ln T: the total's own share T stands at its pivot's row.
void TotalColumns(const SensitivityInput& in, const ColumnSolver& solver, double* out) {
    const PowerLawTable& t = *in.table;
    const uint32_t length = t.n + static_cast<uint32_t>(t.fluxTerm.size());
    for (size_t k = 0; k < in.relations->size(); ++k) {
        const ConservationRelation& relation = (*in.relations)[k];
        double* column = out + k * length;
        solver.SolveUnit(relation.pivot, relation.total, column);
        FinishColumn(t, column, [](uint32_t) { return 0.0; });
    }
}

} // namespace

bool ComputeSensitivities(const SensitivityInput& in, const SensitivityWork& work,
                          const SensitivityOutput& out) {
    const PowerLawTable& t = *in.table;
    const std::vector<bool> replaced = ReplacedEquations(in);
    // Without an influx the weights v/V+ do not exist.
    for (uint32_t i = 0; i < t.n; ++i)
        if (!replaced[i] && (!(in.influx[i] > 0.0) || !std::isfinite(in.influx[i]))) return false;
    BuildMatrix(in, work.matrix);
    const int n = static_cast<int>(t.n);
    int info = 0;
    dgefa(work.matrix, n, n, work.pivots, info);
    if (info != 0) return false;
    const ColumnSolver solver(in, work);
    solver.ComputeInverse();
    IndependentColumns(in, solver, work, out.sensIndep);
    RateColumns(in, solver, out.sensRate);
    OrderColumns(in, solver, out.sensOrder);
    if (in.relations != nullptr) TotalColumns(in, solver, out.sensTotal);
    return true;
}

} // namespace kora
