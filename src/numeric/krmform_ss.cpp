#include "krmform_ss.h"

#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "kernels/eispack.h"
#include "kernels/linpack.h"
#include "kernels/minpack.h"
#include "lsoda_column_groups.h"
#include "model/read_dependencies.h"
#include "ss_exact_jacobian.h"
#include "ss_integration.h"
#include "ss_residuals.h"
#include "ss_sensitivities.h"

namespace kora {
namespace {

constexpr double kMachinePrecision = 2.22044604926e-16;

// Work space of one computation, freed when it returns.
struct Workspace {
    Workspace(uint32_t n, uint32_t m, uint32_t nTerms)
        : matrix(size_t{n} * n), inverse(size_t{n} * n), wa(WorkLength(n)), xe(n + m),
          termValues(nTerms), fvec(n), x(n), wa1(n), wa2(n), scale(n), wr(n), wi(n), rhs(n),
          pivots(n), intch(n) {}

    static size_t WorkLength(uint32_t n) { return size_t{n} * (3 * size_t{n} + 13) / 2; }

    std::vector<double> matrix, inverse, wa, xe, termValues, fvec, x, wa1, wa2, scale, wr, wi, rhs;
    std::vector<int> pivots, intch;
};

// exp of the solution of A y = b, A = G - H over the dependent variables;
// nothing when A is singular.
std::optional<bool> SolveSSystemClosedForm(const PowerLawTable& t, Workspace& w) {
    const uint32_t n = t.n;
    const int nn = static_cast<int>(n);
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t first = t.termStart[i];
        const uint32_t second = first + 1;
        for (uint32_t j = 0; j < n; ++j)
            w.matrix[j * n + i] = t.OrderOf(first, j) - t.OrderOf(second, j);
        double b = std::log(-t.coefficient[second] / t.coefficient[first]);
        for (uint32_t p = n; p < w.xe.size(); ++p)
            b += (t.OrderOf(second, p) - t.OrderOf(first, p)) * std::log(w.xe[p]);
        w.rhs[i] = b;
    }
    int info = 0;
    dgefa(w.matrix.data(), nn, nn, w.pivots.data(), info);
    if (info != 0) return std::nullopt;
    dgesl(w.matrix.data(), nn, nn, w.pivots.data(), w.rhs.data(), 0);
    for (uint32_t i = 0; i < n; ++i)
        w.x[i] = std::exp(w.rhs[i]);
    // Overflow or underflow of exp gives no usable steady state; the search
    // may still find one.
    for (uint32_t i = 0; i < n; ++i)
        if (!(w.x[i] > 0.0) || !std::isfinite(w.x[i])) return false;
    return true;
}

// The start point of attempt `attempt` (0 = initial values).
void StartPoint(const KRMparser& model, int attempt, uint32_t n, double* x) {
    // Attempts 1, 2, 3, 4, 5, ... start at 1, 2, 1/2, 4, 1/4, ...
    double value = std::ldexp(1.0, attempt / 2);
    if (attempt % 2 == 1 && attempt > 1) value = 1.0 / value;
    for (uint32_t i = 0; i < n; ++i)
        x[i] = attempt == 0 && i < model.equations.size() ? model.equations[i].value : value;
}

double SearchTolerance() {
    return std::sqrt(kMachinePrecision);
}

bool Search(const MinpackFcn& fcn, const KRMForm_ss& ss, uint32_t n, Workspace& w,
            const ColumnGrouping* grouping, const MinpackFcn* jacobian) {
    const double tolerance = SearchTolerance();
    for (int attempt = 0; attempt < kSsMaxAttempts && (ss.status & SS_STOPPED) == 0; ++attempt) {
        StartPoint(ss.model, attempt, n, w.x.data());
        int info = 0;
        hybrd1(fcn, static_cast<int>(n), w.x.data(), w.fvec.data(), tolerance, &info, w.wa.data(),
               static_cast<int>(w.wa.size()), grouping, jacobian);
        if (info == 1) return true;
    }
    return false;
}

// The Jacobian at x into w.matrix, exact when given, else by forward
// differences; false when the residual stopped or gave a non-finite entry.
bool Jacobian(const MinpackFcn& fcn, uint32_t n, Workspace& w, const ColumnGrouping* grouping,
              const MinpackFcn* exact) {
    const int nn = static_cast<int>(n);
    int iflag = 1;
    fcn(nn, w.x.data(), w.fvec.data(), &iflag);
    if (iflag < 0) return false;
    if (exact != nullptr)
        (*exact)(nn, w.x.data(), w.matrix.data(), &iflag);
    else if (grouping != nullptr)
        fdjac1Grouped(fcn, nn, w.x.data(), w.fvec.data(), w.matrix.data(), nn, &iflag, *grouping,
                      0.0, w.wa1.data(), w.wa2.data());
    else
        fdjac1(fcn, nn, w.x.data(), w.fvec.data(), w.matrix.data(), nn, &iflag, nn, nn, 0.0,
               w.wa1.data(), w.wa2.data());
    if (iflag < 0) return false;
    for (double entry : w.matrix)
        if (!std::isfinite(entry)) return false;
    return true;
}

// Groups of the residual's columns, empty when its pattern is unknown or
// grouping would save nothing.
void GroupColumns(const KRMparser& model, const PowerLawTable* table, uint32_t n,
                  ColumnGroups& groups) {
    std::vector<std::vector<int32_t>> reads;
    if (table != nullptr)
        table->EquationReads(reads);
    else if (!DerivativeReads(model, reads))
        return;
    if (reads.size() == n) BuildColumnGroups(reads, groups);
}

ColumnGrouping ViewOf(const ColumnGroups& groups) {
    return ColumnGrouping{groups.GroupCount(), groups.groupStart.data(), groups.columns.data(),
                          groups.rowStart.data(), groups.rows.data()};
}

// Eigenvalues of the n x n matrix `a` (by columns, overwritten) into w.wr, w.wi.
bool Eigenvalues(uint32_t n, double* a, Workspace& w) {
    const int nn = static_cast<int>(n);
    int low = 0, igh = 0, ierr = 0;
    balanc(nn, a, &low, &igh, w.scale.data());
    elmhes(nn, low, igh, a, w.intch.data());
    hqr(nn, low, igh, a, w.wr.data(), w.wi.data(), &ierr);
    return ierr == 0;
}

} // namespace

void KRMForm_ss::Reset() {
    results.reset();
    status = 0;
    nVars = nIndep = nFluxes = nTerms = nFactors = 0;
    classification = 0;
    integrationHorizon = 0.0;
    residualEvaluations = 0;
    sensitivityValues = 0;
    relations.clear();
    steadyState = influx = fValue = eigenvalues = nullptr;
    sensIndep = sensRate = sensOrder = sensTotal = nullptr;
}

void KRMForm_ss::AllocateResults() {
    const size_t n = nVars;
    const size_t columns = size_t{nIndep} + nTerms + nFactors + relations.size();
    sensitivityValues = uint64_t{ColumnLength()} * columns;
    // Tables too large to hold are refused before any is allocated.
    const bool keepTables = !isPowerLaw || sensitivityValues <= maxSensitivityValues;
    const size_t total = 5 * n + (keepTables ? size_t{ColumnLength()} * columns : 0);
    results = std::make_unique<double[]>(total);
    double* next = results.get();
    auto take = [&next](size_t count) {
        double* start = next;
        next += count;
        return start;
    };
    steadyState = take(n);
    influx = take(n);
    fValue = take(n);
    eigenvalues = take(2 * n);
    if (!keepTables) return;
    sensIndep = take(size_t{ColumnLength()} * nIndep);
    sensRate = take(size_t{ColumnLength()} * nTerms);
    sensOrder = take(size_t{ColumnLength()} * nFactors);
    sensTotal = take(size_t{ColumnLength()} * relations.size());
}

namespace {

// The steady state into w.x: closed form when allowed, then the search from
// every start point, then integration of the full motion polished by the
// search's residual.
bool FindSteadyState(KRMForm_ss& ss, const PowerLawTable& table, bool closedForm,
                     const MinpackFcn& full, const MinpackFcn& search, Workspace& w,
                     const ColumnGrouping* grouping, const MinpackFcn* jacobian) {
    const uint32_t n = ss.nVars;
    bool found = false;
    if (closedForm) {
        const std::optional<bool> closed = SolveSSystemClosedForm(table, w);
        if (!closed) ss.status |= SS_SINGULAR;
        found = closed.value_or(false);
    }
    if (!found) found = Search(search, ss, n, w, grouping, jacobian);
    if (!found && (ss.status & SS_STOPPED) == 0) {
        // The model's own motion from its initial values may lead where no
        // start point of the search did.
        StartPoint(ss.model, 0, n, w.x.data());
        const SsIntegrationWork work{w.fvec.data(), w.wa.data(), static_cast<int>(w.wa.size()),
                                     SearchTolerance()};
        found = IntegrateToSteadyState(full, search, ss.isPowerLaw, n, w.x.data(), work,
                                       ss.integrationHorizon);
    }
    return found;
}

// Eigenvalues of the Jacobian in w.matrix, or of the motion on the totals
// followed by one zero per relation.
bool StoreEigenvalues(KRMForm_ss& ss, Workspace& w) {
    const uint32_t n = ss.nVars;
    const uint32_t m = ss.ReducedCount();
    double* matrix = w.matrix.data();
    if (!ss.relations.empty()) {
        ReducedJacobian(w.matrix.data(), n, ss.relations, w.inverse.data());
        matrix = w.inverse.data();
    }
    if (m > 0 && !Eigenvalues(m, matrix, w)) return false;
    for (uint32_t i = 0; i < n; ++i) {
        ss.eigenvalues[i] = i < m ? w.wr[i] : 0.0;
        ss.eigenvalues[n + i] = i < m ? w.wi[i] : 0.0;
    }
    return true;
}

} // namespace

bool KRMForm_ss::compute(bool powerLaw) {
    Reset();
    isPowerLaw = powerLaw;
    PowerLawTable table;
    if (isPowerLaw) {
        classification = ClassifyForm(form);
        table.Build(form);
        nVars = table.n;
        nTerms = table.TermCount();
        nFactors = table.FactorCount();
        nFluxes = static_cast<uint32_t>(table.fluxTerm.size());
    } else {
        nVars = static_cast<uint32_t>(model.VariableCount());
    }
    // A general model without equations has nothing to solve either.
    if (nVars == 0) {
        Reset();
        isPowerLaw = powerLaw;
        status = SS_NO_EQUATIONS;
        return true;
    }
    nIndep = static_cast<uint32_t>(model.nIndependent);
    const uint32_t n = nVars;
    Workspace w(n, nIndep, nTerms);
    for (const Statement& constant : model.constants) {
        const auto p = static_cast<uint32_t>(constant.valueIndex);
        if (p >= n && p < n + nIndep) w.xe[p] = constant.value;
    }

    PowerLawResidualContext powerContext{&table, w.xe.data()};
    ModelResidualContext modelContext(model);
    const MinpackFcn residual = isPowerLaw ? MinpackFcn(powerLawResidual, &powerContext)
                                           : MinpackFcn(modelResidual, &modelContext);
    // Every solver below stops at a negative flag, so a stop asked for here
    // ends the search or the integration within one step.
    auto stoppable = [this, &residual](int size, const double* x, double* f, int* iflag) {
        if ((status & SS_STOPPED) != 0 || (stopRequested && stopRequested())) {
            status |= SS_STOPPED;
            *iflag = -1;
            return;
        }
        residual(size, x, f, iflag);
    };
    const MinpackFcn guarded(stoppable);
    auto counted = [this, &guarded](int size, const double* x, double* f, int* iflag) {
        ++residualEvaluations;
        guarded(size, x, f, iflag);
    };
    const MinpackFcn fcn(counted);
    // The exact Jacobian, when asked for and the model's reads are known.
    std::unique_ptr<ModelJacobianContext> productContext;
    std::vector<std::vector<int32_t>> reads;
    if (exactJacobian && !isPowerLaw && DerivativeReads(model, reads))
        productContext = std::make_unique<ModelJacobianContext>(model, modelContext.constants);
    const MinpackFcn exact = isPowerLaw ? MinpackFcn(powerLawJacobian, &powerContext)
                                        : MinpackFcn(modelJacobian, productContext.get());
    auto stoppableExact = [this, &exact](int size, const double* x, double* fjac, int* iflag) {
        if ((status & SS_STOPPED) != 0 || (stopRequested && stopRequested())) {
            status |= SS_STOPPED;
            *iflag = -1;
            return;
        }
        exact(size, x, fjac, iflag);
    };
    const MinpackFcn guardedExact(stoppableExact);
    const MinpackFcn* jacobian =
        exactJacobian && (isPowerLaw || productContext != nullptr) ? &guardedExact : nullptr;
    ColumnGroups groups;
    GroupColumns(model, isPowerLaw ? &table : nullptr, n, groups);
    const ColumnGrouping view = ViewOf(groups);
    const ColumnGrouping* grouping = groups.Empty() ? nullptr : &view;

    if (useConservation) {
        std::vector<double> initial(n);
        StartPoint(model, 0, n, initial.data());
        relations =
            FindConservationRelations(guarded, n, initial.data(), residualEvaluations, grouping);
        if (status & SS_STOPPED) return true;
    }
    AllocateResults();
    const bool tablesTooLarge = isPowerLaw && sensIndep == nullptr;
    ReducedResidual reduced(fcn, relations);
    const MinpackFcn search = relations.empty() ? fcn : MinpackFcn(reduced);
    // The replaced rows read other variables than the grouping assumes.
    const ColumnGrouping* searchGrouping = relations.empty() ? grouping : nullptr;
    const bool closedForm = isPowerLaw && table.AllSSystem() && relations.empty();
    // The replaced rows are not the model's: the reduced search differences.
    const MinpackFcn* searchJacobian = relations.empty() ? jacobian : nullptr;
    if (!FindSteadyState(*this, table, closedForm, fcn, search, w, searchGrouping,
                         searchJacobian)) {
        if ((status & SS_STOPPED) == 0) status |= SS_NOT_FOUND;
        return true;
    }
    for (uint32_t i = 0; i < n; ++i) {
        w.xe[i] = w.x[i];
        steadyState[i] = w.x[i];
        influx[i] = 0.0;
    }
    if (isPowerLaw) {
        for (uint32_t i = 0; i < n; ++i) {
            for (uint32_t t = table.termStart[i]; t < table.termStart[i + 1]; ++t) {
                w.termValues[t] = table.TermValue(t, w.xe.data());
                if (w.termValues[t] > 0.0) influx[i] += w.termValues[t];
            }
            fValue[i] = influx[i] > 0.0 ? influx[i] / w.x[i] : std::nan("");
        }
    }

    // The full motion's Jacobian; the relations are divided out of it after.
    if (!Jacobian(fcn, n, w, grouping, jacobian)) status |= SS_EIGEN_FAILED;
    if (status & SS_STOPPED) return true;
    if ((status & ~SS_SINGULAR) == 0) {
        if (!StoreEigenvalues(*this, w)) status |= SS_EIGEN_FAILED;
        if (!isPowerLaw) status |= SS_NO_SENSITIVITIES;
    }
    if ((status & ~SS_SINGULAR) == 0 && tablesTooLarge)
        status |= SS_NO_SENSITIVITIES | SS_SENSITIVITIES_TOO_LARGE;

    if ((status & ~SS_SINGULAR) == 0) {
        // The difference Jacobian left its trial points in xe.
        for (uint32_t i = 0; i < n; ++i)
            w.xe[i] = steadyState[i];
        const SensitivityInput input{&table, nIndep,    w.xe.data(), w.termValues.data(),
                                     influx, &relations};
        const SensitivityWork work{w.matrix.data(), w.inverse.data(), w.pivots.data(),
                                   w.rhs.data()};
        const SensitivityOutput out{sensIndep, sensRate, sensOrder, sensTotal};
        if (!ComputeSensitivities(input, work, out)) status |= SS_NO_SENSITIVITIES;
    }
    return true;
}

} // namespace kora
