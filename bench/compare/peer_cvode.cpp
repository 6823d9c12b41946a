#include "peer_cvode.h"

#include <cmath>

#include <cvode/cvode.h>
#include <nvector/nvector_serial.h>
#include <sundials/sundials_context.h>
#include <sunlinsol/sunlinsol_dense.h>
#include <sunmatrix/sunmatrix_dense.h>
#include <sunnonlinsol/sunnonlinsol_fixedpoint.h>

namespace kora::compare {
namespace {

int CvodeRhs(sunrealtype t, N_Vector y, N_Vector ydot, void* user) {
    const auto* problem = static_cast<const Problem*>(user);
    problem->rhs(t, N_VGetArrayPointer(y), N_VGetArrayPointer(ydot), problem->n);
    return 0;
}

// Owns every CVODE object of one solve so that each exit path frees them.
struct CvodeSession {
    SUNContext context = nullptr;
    N_Vector y = nullptr;
    SUNMatrix matrix = nullptr;
    SUNLinearSolver linear = nullptr;
    SUNNonlinearSolver nonlinear = nullptr;
    void* memory = nullptr;

    ~CvodeSession() {
        if (memory) CVodeFree(&memory);
        if (nonlinear) SUNNonlinSolFree(nonlinear);
        if (linear) SUNLinSolFree(linear);
        if (matrix) SUNMatDestroy(matrix);
        if (y) N_VDestroy(y);
        if (context) SUNContext_Free(&context);
    }
};

bool Configure(CvodeSession& s, const Problem& p, CvodeMethod method, double rtol, double atol) {
    if (SUNContext_Create(nullptr, &s.context) != 0) return false;
    s.y = N_VNew_Serial(p.n, s.context);
    double* y = N_VGetArrayPointer(s.y);
    for (int i = 0; i < p.n; ++i) y[i] = p.y0[static_cast<size_t>(i)];
    s.memory = CVodeCreate(method == CvodeMethod::Bdf ? CV_BDF : CV_ADAMS, s.context);
    if (!s.memory || CVodeInit(s.memory, CvodeRhs, p.t0, s.y) != CV_SUCCESS) return false;
    CVodeSetUserData(s.memory, const_cast<Problem*>(&p));
    CVodeSStolerances(s.memory, rtol, atol);
    CVodeSetMaxNumSteps(s.memory, 1000000);
    if (method == CvodeMethod::Bdf) {
        s.matrix = SUNDenseMatrix(p.n, p.n, s.context);
        s.linear = SUNLinSol_Dense(s.y, s.matrix, s.context);
        return CVodeSetLinearSolver(s.memory, s.linear, s.matrix) == CV_SUCCESS;
    }
    s.nonlinear = SUNNonlinSol_FixedPoint(s.y, 0, s.context);
    return CVodeSetNonlinearSolver(s.memory, s.nonlinear) == CV_SUCCESS;
}

} // namespace

SolveOutcome SolveWithCvode(const Problem& p, CvodeMethod method, double rtol, double atol) {
    SolveOutcome out;
    CvodeSession s;
    if (!Configure(s, p, method, rtol, atol)) return out;
    const auto reports = static_cast<long>(std::floor((p.tf - p.t0) / p.hr + 1e-9));
    sunrealtype t = p.t0;
    for (long k = 1; k <= reports + 1; ++k) {
        double tout = k > reports ? p.tf : p.t0 + static_cast<double>(k) * p.hr;
        if (tout > p.tf) tout = p.tf;
        if (CVode(s.memory, tout, s.y, &t, CV_NORMAL) < 0) return out;
        if (tout >= p.tf) break;
    }
    long value = 0;
    CVodeGetNumSteps(s.memory, &value);
    out.steps = value;
    CVodeGetNumRhsEvals(s.memory, &value);
    out.fevals = value;
    if (method == CvodeMethod::Bdf) {
        CVodeGetNumJacEvals(s.memory, &value);
        out.jevals = value;
        long lsEvals = 0;
        CVodeGetNumLinRhsEvals(s.memory, &lsEvals);
        out.fevals += lsEvals; // difference-quotient Jacobian columns count too
    }
    const double* y = N_VGetArrayPointer(s.y);
    out.finalState.assign(y, y + p.n);
    out.ok = true;
    return out;
}

} // namespace kora::compare
