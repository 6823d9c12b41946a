#include "ss_conservation.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace kora {
namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
// Jacobian states, the initial one included when the residual exists there.
constexpr int kJacobianStates = 3;
constexpr int kConfirmationStates = 2;
constexpr int kMaxTrials = 12;
// Central differences leave about eps^(2/3) of noise; a relation's columns
// fall far below this, true dependencies between equations stay well above.
constexpr double kRankTolerance = 1e-7;
// What is left of c . F at a confirmation state, relative to the sum of the
// magnitudes it cancels.
constexpr double kConfirmTolerance = 1e-8;
constexpr double kSnapTolerance = 1e-9;
constexpr int kLargestSimpleDenominator = 12;
constexpr long kLargestCommonDenominator = 100;

// States around x0, the same sequence for every analysis of a model.
class StateSource {
public:
    StateSource(uint32_t n, const double* x0) : base_(n) {
        double sum = 0.0;
        int count = 0;
        for (uint32_t i = 0; i < n; ++i) {
            if (x0[i] != 0.0 && std::isfinite(x0[i])) {
                sum += std::abs(x0[i]);
                ++count;
            }
        }
        const double typical = count > 0 ? sum / count : 1.0;
        for (uint32_t i = 0; i < n; ++i)
            base_[i] = x0[i] != 0.0 && std::isfinite(x0[i]) ? x0[i] : typical;
    }
    // Every component scaled by a factor between 1/2 and 2.
    void Next(double* x) {
        for (size_t i = 0; i < base_.size(); ++i)
            x[i] = base_[i] * std::exp(0.69 * (2.0 * Uniform() - 1.0));
    }

private:
    double Uniform() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) * 0x1.0p-53;
    }
    std::vector<double> base_;
    uint64_t state_ = 0x9E3779B97F4A7C15ULL;
};

class CountedResidual {
public:
    CountedResidual(const MinpackFcn& fcn, uint32_t n, uint64_t& evaluations)
        : fcn_(fcn), n_(static_cast<int>(n)), evaluations_(evaluations) {}
    bool operator()(const double* x, double* f) const {
        ++evaluations_;
        int iflag = 1;
        fcn_(n_, x, f, &iflag);
        if (iflag < 0) return false;
        return std::all_of(f, f + n_, [](double v) { return std::isfinite(v); });
    }

private:
    const MinpackFcn& fcn_;
    int n_;
    uint64_t& evaluations_;
};

double CentralStep(double x) {
    return std::cbrt(kEpsilon) * (x != 0.0 ? std::abs(x) : 1.0);
}

// Central differences over groups of columns that no equation reads
// together: two evaluations per group instead of per column.
bool GroupedCentralJacobian(const CountedResidual& residual, uint32_t n,
                            const ColumnGrouping& groups, std::vector<double>& x,
                            std::vector<double>& jac, std::vector<double>& plus,
                            std::vector<double>& minus) {
    std::fill(jac.begin(), jac.end(), 0.0);
    const std::vector<double> saved = x;
    for (int g = 0; g < groups.ngroups; ++g) {
        const int32_t* first = groups.columns + groups.groupStart[g];
        const int32_t* last = groups.columns + groups.groupStart[g + 1];
        for (const int32_t* j = first; j != last; ++j)
            x[*j] = saved[*j] + CentralStep(saved[*j]);
        const bool upOk = residual(x.data(), plus.data());
        for (const int32_t* j = first; j != last; ++j)
            x[*j] = saved[*j] - CentralStep(saved[*j]);
        const bool downOk = residual(x.data(), minus.data());
        for (const int32_t* j = first; j != last; ++j)
            x[*j] = saved[*j];
        if (!upOk || !downOk) return false;
        for (const int32_t* j = first; j != last; ++j) {
            const double h = CentralStep(saved[*j]);
            const double width = (saved[*j] + h) - (saved[*j] - h);
            for (int32_t r = groups.rowStart[*j]; r < groups.rowStart[*j + 1]; ++r) {
                const int32_t row = groups.rows[r];
                jac[size_t(*j) * n + row] = (plus[row] - minus[row]) / width;
            }
        }
    }
    return true;
}

// Central differences, by columns: jac[j * n + i] = dF_i / dx_j.
bool CentralJacobian(const CountedResidual& residual, uint32_t n, const ColumnGrouping* groups,
                     std::vector<double>& x, std::vector<double>& jac, std::vector<double>& plus,
                     std::vector<double>& minus) {
    if (groups != nullptr) return GroupedCentralJacobian(residual, n, *groups, x, jac, plus, minus);
    for (uint32_t j = 0; j < n; ++j) {
        const double xj = x[j];
        const double h = CentralStep(xj);
        x[j] = xj + h;
        const bool upOk = residual(x.data(), plus.data());
        x[j] = xj - h;
        const bool downOk = residual(x.data(), minus.data());
        const double width = (xj + h) - (xj - h);
        x[j] = xj;
        if (!upOk || !downOk) return false;
        for (uint32_t i = 0; i < n; ++i)
            jac[size_t{j} * n + i] = (plus[i] - minus[i]) / width;
    }
    return true;
}

double ColumnNorm(const double* column, uint32_t from, uint32_t m) {
    double sum = 0.0;
    for (uint32_t i = from; i < m; ++i)
        sum += column[i] * column[i];
    return std::sqrt(sum);
}

// The null space of b (m x d by columns, overwritten), by Householder QR with
// column pivoting after dividing every column by the magnitude its sums
// cancel (`reference`), so that what is left of a cancellation is compared
// with round-off, whatever the scale of each equation. Returns the basis by
// columns, d x `count`.
std::vector<double> NullSpace(std::vector<double>& b, uint32_t m, uint32_t d,
                              const std::vector<double>& reference, uint32_t& count) {
    std::vector<double> scale(d, 1.0);
    std::vector<uint32_t> order(d);
    std::iota(order.begin(), order.end(), 0u);
    for (uint32_t k = 0; k < d; ++k) {
        double* column = &b[size_t{k} * m];
        if (reference[k] > 0.0) {
            scale[k] = reference[k];
            for (uint32_t i = 0; i < m; ++i)
                column[i] /= reference[k];
        }
    }
    uint32_t rank = 0;
    for (uint32_t s = 0; s < std::min(m, d); ++s) {
        uint32_t best = s;
        double bestNorm = -1.0;
        for (uint32_t k = s; k < d; ++k) {
            const double norm = ColumnNorm(&b[size_t{k} * m], s, m);
            if (norm > bestNorm) {
                bestNorm = norm;
                best = k;
            }
        }
        if (!(bestNorm > kRankTolerance)) break;
        if (best != s) {
            std::swap_ranges(&b[size_t{s} * m], &b[size_t{s} * m] + m, &b[size_t{best} * m]);
            std::swap(order[s], order[best]);
        }
        double* v = &b[size_t{s} * m];
        const double alpha = v[s] > 0.0 ? -bestNorm : bestNorm;
        v[s] -= alpha;
        const double vv = ColumnNorm(v, s, m) * ColumnNorm(v, s, m);
        for (uint32_t k = s + 1; k < d && vv > 0.0; ++k) {
            double* column = &b[size_t{k} * m];
            double dot = 0.0;
            for (uint32_t i = s; i < m; ++i)
                dot += v[i] * column[i];
            const double tau = 2.0 * dot / vv;
            for (uint32_t i = s; i < m; ++i)
                column[i] -= tau * v[i];
        }
        v[s] = alpha;
        rank = s + 1;
    }
    count = d - rank;
    std::vector<double> basis(size_t{d} * count, 0.0);
    std::vector<double> z(rank);
    for (uint32_t f = 0; f < count; ++f) {
        const uint32_t free = rank + f;
        for (uint32_t i = rank; i-- > 0;) {
            double sum = -b[size_t{free} * m + i];
            for (uint32_t k = i + 1; k < rank; ++k)
                sum -= b[size_t{k} * m + i] * z[k];
            z[i] = sum / b[size_t{i} * m + i];
        }
        double* y = &basis[size_t{f} * d];
        for (uint32_t i = 0; i < rank; ++i)
            y[order[i]] = z[i] / scale[order[i]];
        y[order[free]] = 1.0 / scale[order[free]];
    }
    return basis;
}

// Rows of the relations (d x n, by rows) brought to reduced echelon form in
// the variables' order; returns each row's pivot, dropping dependent rows.
std::vector<uint32_t> EchelonForm(std::vector<std::vector<double>>& rows, uint32_t n) {
    for (std::vector<double>& row : rows) {
        double largest = 0.0;
        for (double v : row)
            largest = std::max(largest, std::abs(v));
        if (largest > 0.0)
            for (double& v : row)
                v /= largest;
    }
    std::vector<uint32_t> pivots;
    size_t next = 0;
    for (uint32_t j = 0; j < n && next < rows.size(); ++j) {
        size_t best = next;
        for (size_t r = next + 1; r < rows.size(); ++r)
            if (std::abs(rows[r][j]) > std::abs(rows[best][j])) best = r;
        if (std::abs(rows[best][j]) <= 1e-8) continue;
        std::swap(rows[next], rows[best]);
        const double pivot = rows[next][j];
        for (double& v : rows[next])
            v /= pivot;
        for (size_t r = 0; r < rows.size(); ++r) {
            if (r == next || rows[r][j] == 0.0) continue;
            const double factor = rows[r][j];
            for (uint32_t k = 0; k < n; ++k)
                rows[r][k] -= factor * rows[next][k];
        }
        pivots.push_back(j);
        ++next;
    }
    rows.resize(next);
    return pivots;
}

// The denominator q <= kLargestSimpleDenominator of a fraction equal to v, or 0.
long SimpleDenominator(double v) {
    for (long q = 1; q <= kLargestSimpleDenominator; ++q) {
        const double p = std::round(v * static_cast<double>(q));
        if (std::abs(v - p / static_cast<double>(q)) <= kSnapTolerance * std::max(1.0, std::abs(v)))
            return q;
    }
    return 0;
}

// Noise set to 0, simple fractions made exact and, when a small common
// denominator exists, every coefficient made a whole number.
ConservationRelation Written(std::vector<double>& row, uint32_t pivot) {
    double largest = 0.0;
    for (double v : row)
        largest = std::max(largest, std::abs(v));
    ConservationRelation relation;
    relation.pivot = pivot;
    long common = 1;
    bool simple = true;
    for (uint32_t i = 0; i < row.size(); ++i) {
        if (std::abs(row[i]) <= 1e-10 * largest) continue;
        const long q = SimpleDenominator(row[i]);
        if (q == 0) {
            simple = false;
        } else {
            row[i] = std::round(row[i] * static_cast<double>(q)) / static_cast<double>(q);
            common = std::lcm(common, q);
        }
        relation.variable.push_back(i);
        relation.coefficient.push_back(row[i]);
    }
    if (simple && common <= kLargestCommonDenominator) {
        long divisor = 0;
        for (double& c : relation.coefficient) {
            c = std::round(c * static_cast<double>(common));
            divisor = std::gcd(divisor, static_cast<long>(std::abs(c)));
        }
        if (divisor > 1)
            for (double& c : relation.coefficient)
                c /= static_cast<double>(divisor);
        relation.wholeNumbers = true;
    }
    return relation;
}

bool HoldsAt(const ConservationRelation& relation, const double* f) {
    double sum = 0.0;
    double magnitude = 0.0;
    for (size_t k = 0; k < relation.variable.size(); ++k) {
        const double term = relation.coefficient[k] * f[relation.variable[k]];
        sum += term;
        magnitude += std::abs(term);
    }
    return std::abs(sum) <= kConfirmTolerance * magnitude;
}

// The candidates' common null space over the Jacobian states: n x count by
// columns; nothing when too few states could be evaluated.
std::vector<double> CommonLeftNullSpace(const CountedResidual& residual, uint32_t n,
                                        const ColumnGrouping* groups, const double* x0,
                                        StateSource& states, uint32_t& count) {
    std::vector<double> x(x0, x0 + n), jac(size_t{n} * n), plus(n), minus(n), basis;
    count = n;
    int used = 0;
    for (int trial = 0; trial < kMaxTrials && used < kJacobianStates && count > 0; ++trial) {
        if (trial > 0) states.Next(x.data());
        if (!CentralJacobian(residual, n, groups, x, jac, plus, minus)) continue;
        ++used;
        uint32_t found = 0;
        std::vector<double> gradient(n, 0.0); // each equation's gradient norm
        for (uint32_t j = 0; j < n; ++j)
            for (uint32_t i = 0; i < n; ++i)
                gradient[i] += jac[size_t{j} * n + i] * jac[size_t{j} * n + i];
        for (double& g : gradient)
            g = std::sqrt(g);
        if (used == 1) {
            // B = J^T: its columns are the equations' gradients.
            for (uint32_t j = 0; j < n; ++j)
                for (uint32_t i = j + 1; i < n; ++i)
                    std::swap(jac[size_t{j} * n + i], jac[size_t{i} * n + j]);
            basis = NullSpace(jac, n, n, gradient, found);
        } else {
            // B = J^T N over the candidates found so far.
            std::vector<double> b(size_t{n} * count, 0.0);
            for (uint32_t k = 0; k < count; ++k)
                for (uint32_t j = 0; j < n; ++j) {
                    double sum = 0.0;
                    for (uint32_t i = 0; i < n; ++i)
                        sum += basis[size_t{k} * n + i] * jac[size_t{j} * n + i];
                    b[size_t{k} * n + j] = sum;
                }
            std::vector<double> reference(count, 0.0);
            for (uint32_t k = 0; k < count; ++k)
                for (uint32_t i = 0; i < n; ++i)
                    reference[k] += std::abs(basis[size_t{k} * n + i]) * gradient[i];
            const std::vector<double> y = NullSpace(b, n, count, reference, found);
            std::vector<double> next(size_t{n} * found, 0.0);
            for (uint32_t f = 0; f < found; ++f)
                for (uint32_t k = 0; k < count; ++k)
                    for (uint32_t i = 0; i < n; ++i)
                        next[size_t{f} * n + i] +=
                            basis[size_t{k} * n + i] * y[size_t{f} * count + k];
            basis = std::move(next);
        }
        count = found;
    }
    if (used < kJacobianStates) count = 0;
    return basis;
}

} // namespace

double ConservationRelation::PivotCoefficient() const {
    for (size_t k = 0; k < variable.size(); ++k)
        if (variable[k] == pivot) return coefficient[k];
    return 1.0;
}

double ConservationRelation::Dot(const double* x) const {
    double sum = 0.0;
    for (size_t k = 0; k < variable.size(); ++k)
        sum += coefficient[k] * x[variable[k]];
    return sum;
}

std::vector<ConservationRelation> FindConservationRelations(const MinpackFcn& fcn, uint32_t n,
                                                            const double* x0, uint64_t& evaluations,
                                                            const ColumnGrouping* groups) {
    const CountedResidual residual(fcn, n, evaluations);
    StateSource states(n, x0);
    uint32_t count = 0;
    const std::vector<double> basis = CommonLeftNullSpace(residual, n, groups, x0, states, count);
    if (count == 0) return {};

    std::vector<std::vector<double>> rows(count);
    for (uint32_t k = 0; k < count; ++k)
        rows[k].assign(basis.begin() + static_cast<std::ptrdiff_t>(size_t{k} * n),
                       basis.begin() + static_cast<std::ptrdiff_t>(size_t{k + 1} * n));
    const std::vector<uint32_t> pivots = EchelonForm(rows, n);
    std::vector<ConservationRelation> candidates;
    for (size_t r = 0; r < rows.size(); ++r)
        candidates.push_back(Written(rows[r], pivots[r]));

    // Only relations that hold where no Jacobian was taken are kept.
    std::vector<double> x(n), f(n);
    int confirmed = 0;
    for (int trial = 0; trial < kMaxTrials && confirmed < kConfirmationStates; ++trial) {
        states.Next(x.data());
        if (!residual(x.data(), f.data())) continue;
        ++confirmed;
        std::erase_if(candidates,
                      [&f](const ConservationRelation& c) { return !HoldsAt(c, f.data()); });
    }
    if (confirmed < kConfirmationStates) return {};
    for (ConservationRelation& relation : candidates)
        relation.total = relation.Dot(x0);
    return candidates;
}

void ReducedResidual::operator()(int n, const double* x, double* f, int* iflag) const {
    full_(n, x, f, iflag);
    if (*iflag < 0) return;
    for (const ConservationRelation& relation : relations_)
        f[relation.pivot] = relation.Dot(x) - relation.total;
}

void ReducedJacobian(const double* jacobian, uint32_t n,
                     const std::vector<ConservationRelation>& relations, double* reduced) {
    std::vector<int64_t> position(n, 0);
    for (const ConservationRelation& relation : relations)
        position[relation.pivot] = -1;
    std::vector<uint32_t> kept;
    for (uint32_t i = 0; i < n; ++i)
        if (position[i] == 0) {
            position[i] = static_cast<int64_t>(kept.size());
            kept.push_back(i);
        }
    const size_t m = kept.size();
    for (size_t b = 0; b < m; ++b)
        for (size_t a = 0; a < m; ++a)
            reduced[b * m + a] = jacobian[size_t{kept[b]} * n + kept[a]];
    for (const ConservationRelation& relation : relations) {
        const double pivotCoefficient = relation.PivotCoefficient();
        const double* pivotColumn = jacobian + size_t{relation.pivot} * n;
        for (size_t k = 0; k < relation.variable.size(); ++k) {
            if (position[relation.variable[k]] < 0) continue; // a pivot: never in a relation
            const auto b = static_cast<size_t>(position[relation.variable[k]]);
            const double ratio = relation.coefficient[k] / pivotCoefficient;
            for (size_t a = 0; a < m; ++a)
                reduced[b * m + a] -= pivotColumn[kept[a]] * ratio;
        }
    }
}

} // namespace kora
