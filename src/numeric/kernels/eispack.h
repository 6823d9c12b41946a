#pragma once

// Eigenvalues of a real general matrix: balanc, then elmhes on the balanced
// range low .. igh, then hqr. The matrix is n x n, column-major with leading
// dimension n. low, igh and every index stored in scale and intch are 1-based,
// as in the published routines; so are the eigenvalue positions and ierr.

namespace kora {

// Balances a in place (radix 16, reduction test 0.95) and isolates eigenvalues
// by permutation. scale(j) holds the row exchanged with j for j < low and
// j > igh, and the diagonal scaling factor for low <= j <= igh.
void balanc(int n, double* a, int* low, int* igh, double* scale);

// Reduces rows and columns low .. igh of a to upper Hessenberg form by
// stabilised elementary similarity transformations; the multipliers stay
// below the subdiagonal. intch (n entries) records the interchanges.
void elmhes(int n, int low, int igh, double* a, int* intch);

// All eigenvalues of the upper Hessenberg matrix a (destroyed): real parts in
// wr, imaginary parts in wi, each at the row where it splits off; a complex
// pair takes two consecutive entries, positive imaginary part first.
// ierr = 0, or the 1-based position whose eigenvalue exhausted the limit of
// 30*n iterations; positions ierr+1 .. n are then correct.
void hqr(int n, int low, int igh, double* a, double* wr, double* wi, int* ierr);

} // namespace kora
