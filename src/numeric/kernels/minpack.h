#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

// Powell's hybrid method for systems of nonlinear equations and its helpers.
// Sizes, indices and scalar inputs are passed by value, outputs through
// pointers. Matrices are column-major with a leading dimension; triangular
// factors handed between the helpers are packed row after row (r, s).

namespace kora {

// Machine constants: 1 = precision, 2 = smallest magnitude, 3 = largest magnitude.
// The precision is the value the stiff solver and the steady-state search share.
double dpmpar(int i);

// A non-owning reference to the function whose zero is sought, with the shape
// fcn(n, x, fvec, iflag): fill fvec from x; set *iflag negative to stop the
// calling routine. State travels with the callable or through a context
// pointer, so that no process-wide variable is required.
class MinpackFcn {
public:
    using Plain = void (*)(int n, const double* x, double* fvec, int* iflag);
    using WithContext = void (*)(void* context, int n, const double* x, double* fvec, int* iflag);

    MinpackFcn(Plain f) : thunk_(&callPlain), plain_(f) {}
    MinpackFcn(WithContext f, void* context)
        : thunk_(&callWithContext), withContext_(f), context_(context) {}
    // The callable must outlive every call made through this reference.
    template <class F>
    requires(!std::is_same_v<std::remove_cv_t<F>, MinpackFcn> &&
             std::is_invocable_v<F&, int, const double*, double*, int*>) MinpackFcn(F& callable)
        : thunk_(&callObject<F>), context_(&callable) {}

    void operator()(int n, const double* x, double* fvec, int* iflag) const {
        thunk_(*this, n, x, fvec, iflag);
    }

private:
    using Thunk = void (*)(const MinpackFcn&, int, const double*, double*, int*);

    static void callPlain(const MinpackFcn& self, int n, const double* x, double* fvec,
                          int* iflag) {
        self.plain_(n, x, fvec, iflag);
    }
    static void callWithContext(const MinpackFcn& self, int n, const double* x, double* fvec,
                                int* iflag) {
        self.withContext_(self.context_, n, x, fvec, iflag);
    }
    template <class F>
    static void callObject(const MinpackFcn& self, int n, const double* x, double* fvec,
                           int* iflag) {
        (*static_cast<F*>(self.context_))(n, x, fvec, iflag);
    }

    Thunk thunk_;
    Plain plain_ = nullptr;
    WithContext withContext_ = nullptr;
    void* context_ = nullptr;
};

// Columns of a square Jacobian that one evaluation may perturb together (no
// row reads two columns of a group), and the rows that read each column.
// Non-owning; the arrays must outlive every call that is given the view.
struct ColumnGrouping {
    int ngroups = 0;
    const int32_t* groupStart = nullptr; // group g: columns[groupStart[g] .. groupStart[g + 1])
    const int32_t* columns = nullptr;
    const int32_t* rowStart =
        nullptr; // rows reading column j: rows[rowStart[j] .. rowStart[j + 1])
    const int32_t* rows = nullptr;
};

// Solves fcn(x) = 0 from the start point in x with the default choices of
// hybrd. x receives the last iterate and fvec fcn at it. info: 0 improper
// input (n <= 0, tol < 0, lwa < n(3n + 13)/2), 1 converged to tol, 2 too many
// calls, 3 tol too small, 4 no good progress, negative = stopped by fcn.
// `groups`, when given, must describe fcn's pattern; see fdjac1Grouped.
// `jacobian`, when given, replaces the difference Jacobian: called as
// jacobian(n, x, fjac, iflag), it fills fjac (n x n by columns, leading
// dimension n) with d fcn / dx at x, and may stop the search as fcn does.
void hybrd1(MinpackFcn fcn, int n, double* x, double* fvec, double tol, int* info, double* wa,
            int lwa, const ColumnGrouping* groups = nullptr, const MinpackFcn* jacobian = nullptr);

// The Powell hybrid method with every control exposed; info 1 to 5 as
// published (5 = no progress over the last ten iterations). With `groups`, a
// dense Jacobian is differenced group by group; nfev still counts n per
// Jacobian, so maxfev stops the search exactly where it would without them.
void hybrd(MinpackFcn fcn, int n, double* x, double* fvec, double xtol, int maxfev, int ml, int mu,
           double epsfcn, double* diag, int mode, double factor, int nprint, int* info, int* nfev,
           double* fjac, int ldfjac, double* r, int lr, double* qtf, double* wa1, double* wa2,
           double* wa3, double* wa4, const ColumnGrouping* groups = nullptr,
           const MinpackFcn* jacobian = nullptr);

// Forward-difference Jacobian of fcn at x into fjac; fvec must hold fcn(x).
// Banded grouping is used when ml + mu + 1 < n. *iflag is passed to fcn and
// holds its value on return; x is restored even when fcn stops.
void fdjac1(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
            int* iflag, int ml, int mu, double epsfcn, double* wa1, double* wa2);

// fdjac1's dense Jacobian with one evaluation of fcn per group instead of
// per column. Each column keeps its own increment, and an entry whose row
// does not read the column is formed from fvec as the one-column loop would
// form it, so fjac is identical to fdjac1's provided fvec = fcn(x) and each
// row of fcn depends only on the columns it reads. A group whose evaluation
// stops fcn is redone one column at a time, so fcn stops only where the
// one-column loop would stop.
void fdjac1Grouped(MinpackFcn fcn, int n, double* x, const double* fvec, double* fjac, int ldfjac,
                   int* iflag, const ColumnGrouping& groups, double epsfcn, double* wa1,
                   double* wa2);

// The increment fdjac1 gives column j: eps |x_j|, or eps when x_j is 0.
inline double fdjac1Step(double xj, double eps) {
    const double h = eps * std::fabs(xj);
    return h == 0.0 ? eps : h;
}

// Convex combination of the Gauss-Newton and scaled gradient directions
// within the trust region |diag * x| <= delta; r is packed by rows.
void dogleg(int n, const double* r, int lr, const double* diag, const double* qtb, double delta,
            double* x, double* wa1, double* wa2);

// Euclidean norm, safe from overflow and destructive underflow.
double enorm(int n, const double* x);

// The scaling step hybrd and lmdif share at their first Jacobian: with
// mode 1, diag takes the column norms (1 for a zero column); delta is factor
// times |diag * x|, or factor when that product is zero. Returns |diag * x|; wa
// holds n doubles of work.
inline double FirstScaling(int n, int mode, const double* columnNorms, const double* x,
                           double factor, double* diag, double* wa, double& delta) {
    if (mode != 2)
        for (int j = 0; j < n; ++j)
            diag[j] = columnNorms[j] == 0.0 ? 1.0 : columnNorms[j];
    for (int j = 0; j < n; ++j)
        wa[j] = diag[j] * x[j];
    const double xnorm = enorm(n, wa);
    delta = factor * xnorm;
    if (delta == 0.0) delta = factor;
    return xnorm;
}

// At every later Jacobian, mode 1 only ever widens the scaling.
inline void WidenScaling(int n, int mode, const double* columnNorms, double* diag) {
    if (mode == 2) return;
    for (int j = 0; j < n; ++j)
        diag[j] = diag[j] < columnNorms[j] ? columnNorms[j] : diag[j];
}

// Accumulates the m x m orthogonal matrix Q from qrfac's factored form in q.
void qform(int m, int n, double* q, int ldq, double* wa);

// Householder QR factorisation of the m x n matrix a, with optional column
// pivoting (ipvt then holds 1-based column numbers).
void qrfac(int m, int n, double* a, int lda, bool pivot, int* ipvt, int lipvt, double* rdiag,
           double* acnorm, double* wa);

// a = a * Q for the Givens rotations recorded by r1updt in v and w.
void r1mpyq(int m, int n, double* a, int lda, const double* v, const double* w);

// Rank-one update of a lower trapezoidal s (packed by columns): finds Q with
// (s + u v^T) Q lower trapezoidal again. *sing reports a zero diagonal.
void r1updt(int m, int n, double* s, int ls, const double* u, double* v, double* w, bool* sing);

} // namespace kora
