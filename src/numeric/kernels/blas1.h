#pragma once

// Level-1 BLAS routines used by the factorisations, the stiff integrator and the
// nonlinear solver. Arguments are taken by reference as in the published
// interface; a negative stride walks the vector backwards from its far end.

namespace kora {

// dy = da*dx + dy. Does nothing when n <= 0 or da == 0.
void daxpy(const int& n, const double& da, const double* dx, const int& incx, double* dy,
           const int& incy);

// Dot product of dx and dy; 0 when n <= 0.
double ddot(const int& n, const double* dx, const int& incx, const double* dy, const int& incy);

// dx = da*dx. Does nothing when n <= 0 or incx <= 0.
void dscal(const int& n, const double& da, double* dx, const int& incx);

// 1-based index of the first element of largest absolute value; 0 when n < 1 or incx <= 0.
int idamax(const int& n, const double* dx, const int& incx);

} // namespace kora
