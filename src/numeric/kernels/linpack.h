#pragma once

#include <cstdint>

// LU factorisation and solution of dense and banded systems. Matrices are
// column-major with leading dimension lda; element (i, j), counted from 1,
// lies at a[(j - 1) * lda + (i - 1)]. Pivot vectors hold 1-based row numbers.
// Arguments are taken by reference as in the published interface.

namespace kora {

static_assert(sizeof(int) == sizeof(std::int32_t), "pivot vectors are 32-bit integers");

// Factors a by Gaussian elimination with partial pivoting. info = 0, or k when
// U(k, k) == 0: the factorisation is complete, but dgesl would divide by zero.
void dgefa(double* a, const int& lda, const int& n, int* ipvt, int& info);

// Solves A x = b (job == 0) or A^T x = b (job != 0) with dgefa's output; b receives x.
void dgesl(const double* a, const int& lda, const int& n, const int* ipvt, double* b,
           const int& job);

// Banded LU. abd holds the band in rows ml+1 .. 2*ml+mu+1 of each column (the
// first ml rows are fill-in space); lda >= 2*ml + mu + 1. info as dgefa.
void dgbfa(double* abd, const int& lda, const int& n, const int& ml, const int& mu, int* ipvt,
           int& info);

// Banded solve with dgbfa's output, job as dgesl.
void dgbsl(const double* abd, const int& lda, const int& n, const int& ml, const int& mu,
           const int* ipvt, double* b, const int& job);

} // namespace kora
