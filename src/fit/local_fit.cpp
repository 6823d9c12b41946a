#include "local_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numeric/kernels/minpack_lm.h"
#include "symmetric_eigen.h"

namespace kora {

namespace {

constexpr double kTolerance = 1e-10; // ftol and xtol of lmdif
constexpr double kEpsfcn = 1e-8;     // difference steps of sqrt(1e-8) relative
constexpr double kFactor = 100.0;    // the published default first trust region
// An eigenvalue of the normalised normal matrix below this part of the
// largest marks a direction the data do not determine.
constexpr double kSingular = 1e-9;
// A parameter taking this share of such a direction is flagged.
constexpr double kShare = 0.2;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double SumOfSquares(const std::vector<double>& v) {
    double sum = 0.0;
    for (double x : v)
        sum += x * x;
    return sum;
}

bool ConvergedInfo(int info) {
    return (info >= 1 && info <= 4) || (info >= 6 && info <= 8);
}

// Central-difference Jacobian of the weighted residuals in the parameters'
// own units, column-major m x n.
bool ValueJacobian(FitObjective& objective, const std::vector<double>& values,
                   std::vector<double>& jac) {
    const size_t m = objective.ResidualCount(), n = values.size();
    jac.assign(m * n, 0.0);
    std::vector<double> x = values, up(m), down(m);
    for (size_t j = 0; j < n; ++j) {
        const double h = 1e-5 * std::max(std::fabs(values[j]), 1e-8);
        x[j] = values[j] + h;
        const bool a = objective.Residuals(x.data(), up.data());
        x[j] = values[j] - h;
        const bool b = objective.Residuals(x.data(), down.data());
        x[j] = values[j];
        if (!a || !b) return false;
        for (size_t i = 0; i < m; ++i)
            jac[j * m + i] = (up[i] - down[i]) / (2.0 * h);
    }
    return true;
}

bool EveryPointHasSd(FitObjective& objective) {
    for (auto& experiment : objective.experiments())
        for (const MeasuredQuantity& quantity : experiment->quantities()) {
            const DataColumn& column = *quantity.column;
            for (size_t r = 0; r < column.values.size(); ++r)
                if (!std::isnan(column.values[r]) &&
                    (column.sd.empty() || std::isnan(column.sd[r])))
                    return false;
        }
    return true;
}

} // namespace

// lmdif differences with steps relative to each coordinate, so the search
// moves x = 1 + (u - u0) / c, with u the transformed coordinate and u0 its
// start: every coordinate starts at 1 and no step vanishes at u = 0. A plain
// parameter keeps relative steps (c = |u0|), a transformed one gets steps of
// a fixed size on the transformed scale (c = 1).
class SearchCoordinates {
public:
    SearchCoordinates(const FitObjective& objective, const std::vector<double>& start)
        : scales_(objective.scales()), u0_(start.size()), c_(start.size(), 1.0) {
        for (size_t p = 0; p < start.size(); ++p) {
            u0_[p] = scales_[p].InternalOf(start[p]);
            if (scales_[p].Plain() && u0_[p] != 0.0) c_[p] = std::fabs(u0_[p]);
        }
    }
    void ToValues(const double* x, double* values) const {
        for (size_t p = 0; p < u0_.size(); ++p)
            values[p] = scales_[p].ValueOf(u0_[p] + c_[p] * (x[p] - 1.0));
    }

private:
    const std::vector<ParameterScale>& scales_;
    std::vector<double> u0_, c_;
};

LocalFit RunLocalFit(FitObjective& objective, const std::vector<double>& start,
                     int32_t maxEvaluations, const std::atomic<bool>* stop) {
    const int n = static_cast<int>(objective.ParameterCount());
    const int m = static_cast<int>(objective.ResidualCount());
    LocalFit fit;
    const int64_t before = objective.evaluations;
    std::vector<double> x(n, 1.0), fvec(m), diag(n), fjac(static_cast<size_t>(m) * n), qtf(n),
        wa1(n), wa2(n), wa3(n), wa4(m), values(n);
    std::vector<int> ipvt(n);
    const SearchCoordinates coordinates(objective, start);
    // The best point seen, kept for a stop in the middle of a search.
    coordinates.ToValues(x.data(), values.data());
    fit.values = values;
    fit.objective = std::numeric_limits<double>::infinity();
    auto fcn = [&](int, int, const double* u, double* f, int* iflag) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) {
            *iflag = -1;
            return;
        }
        coordinates.ToValues(u, values.data());
        const bool solved = objective.Residuals(values.data(), f);
        if (!solved && objective.evaluations - before == 1) {
            *iflag = -2; // unsolvable at the start: nothing to search from
            return;
        }
        double ssq = 0.0;
        for (int i = 0; i < m; ++i)
            ssq += f[i] * f[i];
        if (solved && ssq < fit.objective) {
            fit.objective = ssq;
            fit.values = values;
        }
    };
    const int maxfev = maxEvaluations > 0 ? maxEvaluations : 200 * (n + 1);
    int info = 0, nfev = 0;
    lmdif(LeastSquaresFcn(fcn), m, n, x.data(), fvec.data(), kTolerance, kTolerance, 0.0, maxfev,
          kEpsfcn, diag.data(), 1, kFactor, 0, &info, &nfev, fjac.data(), m, ipvt.data(),
          qtf.data(), wa1.data(), wa2.data(), wa3.data(), wa4.data());
    fit.info = info;
    fit.stopped = info == -1;
    fit.solvable = info != -2;
    fit.converged = ConvergedInfo(info);
    fit.evaluations = objective.evaluations - before;
    return fit;
}

void FillStatistics(FitObjective& objective, const LocalFit& fit, FitResult& result) {
    const size_t n = objective.ParameterCount();
    const auto m = static_cast<double>(objective.ResidualCount());
    result.points = static_cast<int64_t>(objective.ResidualCount());
    result.objective = fit.objective;
    result.info = fit.info;
    std::vector<double> plain, bySd;
    if (objective.PlainResiduals(fit.values.data(), plain, bySd)) {
        result.ssr = SumOfSquares(plain);
        result.chi2 = SumOfSquares(bySd);
    }
    const double k = static_cast<double>(n);
    const double meanSquare = std::max(fit.objective / m, std::numeric_limits<double>::min());
    result.aic = m * std::log(meanSquare) + 2.0 * k;
    result.bic = m * std::log(meanSquare) + k * std::log(m);

    result.parameters.clear();
    for (size_t p = 0; p < n; ++p) {
        FittedParameter parameter;
        const ParameterScale& scale = objective.scales()[p];
        parameter.name = objective.names()[p];
        parameter.value = fit.values[p];
        parameter.low = scale.low();
        parameter.high = scale.high();
        parameter.logScale = scale.logScale();
        parameter.atBound = scale.NearBound(fit.values[p]);
        result.parameters.push_back(parameter);
    }
    result.correlation.assign(n, std::vector<double>(n, kNaN));
    result.notIdentifiable.clear();

    std::vector<double> jac;
    if (!ValueJacobian(objective, fit.values, jac)) return;
    // Parameters held by a bound are left out; the rest form the normal matrix.
    std::vector<size_t> free;
    for (size_t p = 0; p < n; ++p)
        if (!result.parameters[p].atBound) free.push_back(p);
    const size_t rows = objective.ResidualCount();
    const int f = static_cast<int>(free.size());
    std::vector<double> normal(static_cast<size_t>(f) * f), norms(f);
    for (int a = 0; a < f; ++a) {
        for (int b = 0; b < f; ++b) {
            double sum = 0.0;
            for (size_t i = 0; i < rows; ++i)
                sum += jac[free[a] * rows + i] * jac[free[b] * rows + i];
            normal[static_cast<size_t>(b) * f + a] = sum;
        }
        norms[a] = std::sqrt(normal[static_cast<size_t>(a) * f + a]);
    }
    std::vector<bool> flagged(f, false);
    for (int a = 0; a < f; ++a)
        if (norms[a] == 0.0) flagged[a] = true;
    for (int a = 0; a < f; ++a)
        for (int b = 0; b < f; ++b) {
            const double d = norms[a] * norms[b];
            double& v = normal[static_cast<size_t>(b) * f + a];
            v = d > 0.0 ? v / d : (a == b ? 1.0 : 0.0);
        }
    std::vector<double> eigenvalues, vectors;
    std::vector<double> work = normal;
    SymmetricEigen(f, work, eigenvalues, vectors);
    const double largest = f > 0 ? *std::max_element(eigenvalues.begin(), eigenvalues.end()) : 0.0;
    for (int e = 0; e < f; ++e) {
        if (eigenvalues[e] > kSingular * largest) continue;
        for (int a = 0; a < f; ++a)
            if (std::fabs(vectors[static_cast<size_t>(e) * f + a]) > kShare) flagged[a] = true;
    }
    // Covariance of the identifiable ones: s^2 (J^T J)^-1, with s^2 = 1 when
    // every point has a standard deviation, else the residual variance.
    std::vector<int> kept;
    for (int a = 0; a < f; ++a)
        if (!flagged[a])
            kept.push_back(a);
        else {
            result.parameters[free[a]].identifiable = false;
            result.notIdentifiable.push_back(result.parameters[free[a]].name);
        }
    const int q = static_cast<int>(kept.size());
    if (q == 0) return;
    std::vector<double> sub(static_cast<size_t>(q) * q);
    for (int a = 0; a < q; ++a)
        for (int b = 0; b < q; ++b)
            sub[static_cast<size_t>(b) * q + a] =
                normal[static_cast<size_t>(kept[b]) * f + kept[a]];
    SymmetricEigen(q, sub, eigenvalues, vectors);
    std::vector<double> inverse(static_cast<size_t>(q) * q, 0.0);
    for (int e = 0; e < q; ++e) {
        if (!(eigenvalues[e] > 0.0)) continue;
        for (int a = 0; a < q; ++a)
            for (int b = 0; b < q; ++b)
                inverse[static_cast<size_t>(b) * q + a] += vectors[static_cast<size_t>(e) * q + a] *
                                                           vectors[static_cast<size_t>(e) * q + b] /
                                                           eigenvalues[e];
    }
    const bool allSd = EveryPointHasSd(objective);
    const double dof = m - static_cast<double>(n);
    const double s2 = allSd ? 1.0 : (dof > 0.0 ? fit.objective / dof : kNaN);
    for (int a = 0; a < q; ++a) {
        const size_t pa = free[kept[a]];
        const double variance = inverse[static_cast<size_t>(a) * q + a];
        result.parameters[pa].se = std::sqrt(s2 * variance) / norms[kept[a]];
        for (int b = 0; b < q; ++b) {
            const size_t pb = free[kept[b]];
            const double vb = inverse[static_cast<size_t>(b) * q + b];
            result.correlation[pa][pb] =
                inverse[static_cast<size_t>(b) * q + a] / std::sqrt(variance * vb);
        }
    }
}

} // namespace kora
