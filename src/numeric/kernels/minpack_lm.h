#pragma once

#include <type_traits>

// The Levenberg-Marquardt method for nonlinear least squares and its helpers.
// Conventions as in minpack.h: sizes and scalars by value, outputs through
// pointers, column-major matrices with a leading dimension, ipvt 1-based.

namespace kora {

// A non-owning reference to the residual function fcn(m, n, x, fvec, iflag):
// fill the m residuals fvec from the n parameters x; set *iflag negative to
// stop the calling routine.
class LeastSquaresFcn {
public:
    template <class F>
    requires(!std::is_same_v<std::remove_cv_t<F>, LeastSquaresFcn> &&
             std::is_invocable_v<F&, int, int, const double*, double*, int*>)
        LeastSquaresFcn(F& callable)
        : thunk_(&callObject<F>), context_(&callable) {}

    void operator()(int m, int n, const double* x, double* fvec, int* iflag) const {
        thunk_(context_, m, n, x, fvec, iflag);
    }

private:
    using Thunk = void (*)(void*, int, int, const double*, double*, int*);
    template <class F>
    static void callObject(void* context, int m, int n, const double* x, double* fvec, int* iflag) {
        (*static_cast<F*>(context))(m, n, x, fvec, iflag);
    }

    Thunk thunk_;
    void* context_;
};

// Minimises the sum of squares of fcn's m residuals over the n parameters in
// x, starting from x, with a forward-difference Jacobian. info as published:
// 0 improper input; 1 the sum of squares is within ftol of its minimum; 2 x is
// within xtol of the minimiser; 3 both; 4 fvec is orthogonal to the Jacobian's
// columns within gtol; 5 maxfev calls; 6, 7, 8 ftol, xtol, gtol too small for
// further progress; negative: stopped by fcn. On return fjac's upper n x n
// triangle holds R of the pivoted QR of the last Jacobian (J P = Q R), and
// ipvt the permutation P.
void lmdif(LeastSquaresFcn fcn, int m, int n, double* x, double* fvec, double ftol, double xtol,
           double gtol, int maxfev, double epsfcn, double* diag, int mode, double factor,
           int nprint, int* info, int* nfev, double* fjac, int ldfjac, int* ipvt, double* qtf,
           double* wa1, double* wa2, double* wa3, double* wa4);

// The Levenberg-Marquardt parameter: given the QR factors R and P of A and
// Q^T b, finds par >= 0 with x solving A x = b, sqrt(par) D x = 0 in the least
// squares sense and |D x| within 10% of delta (or par = 0 and |D x| <= 1.1
// delta). On return r's strict lower triangle and sdiag hold S with
// P^T (A^T A + par D D) P = S^T S.
void lmpar(int n, double* r, int ldr, const int* ipvt, const double* diag, const double* qtb,
           double delta, double* par, double* x, double* sdiag, double* wa1, double* wa2);

// Solves A x = b, D x = 0 in the least squares sense from the QR factors of A
// (R in r's upper triangle, P in ipvt, Q^T b in qtb) by Givens rotations that
// eliminate D; r's strict lower triangle and sdiag receive the factor S.
void qrsolv(int n, double* r, int ldr, const int* ipvt, const double* diag, const double* qtb,
            double* x, double* sdiag, double* wa);

// Forward-difference Jacobian (m x n) of fcn at x into fjac; fvec must hold
// fcn(x). *iflag is passed to fcn and holds its value on return; x is restored
// even when fcn stops.
void fdjac2(LeastSquaresFcn fcn, int m, int n, double* x, const double* fvec, double* fjac,
            int ldfjac, int* iflag, double epsfcn, double* wa);

} // namespace kora
