#include "numeric/kernels/eispack.h"
#include "numeric/kernels/linpack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace kora {
namespace {

using cplx = std::complex<double>;

struct Spectrum {
    std::vector<double> wr, wi;
    int ierr = -1;
};

// The calling sequence the steady-state analysis uses. a is row-major here
// for readability and transposed into the column-major layout.
Spectrum eigen(const std::vector<std::vector<double>>& rows) {
    const int n = static_cast<int>(rows.size());
    std::vector<double> a(n * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            a[j * n + i] = rows[i][j];
    std::vector<double> scale(n);
    std::vector<int> intch(n);
    Spectrum s;
    s.wr.assign(n, std::nan(""));
    s.wi.assign(n, std::nan(""));
    int low = 0, igh = 0;
    balanc(n, a.data(), &low, &igh, scale.data());
    elmhes(n, low, igh, a.data(), intch.data());
    hqr(n, low, igh, a.data(), s.wr.data(), s.wi.data(), &s.ierr);
    return s;
}

// Sorted so that spectra compare independently of the storage order.
std::vector<cplx> sorted(const Spectrum& s) {
    std::vector<cplx> v;
    for (size_t i = 0; i < s.wr.size(); ++i)
        v.emplace_back(s.wr[i], s.wi[i]);
    std::sort(v.begin(), v.end(), [](cplx a, cplx b) {
        return a.real() != b.real() ? a.real() < b.real() : a.imag() < b.imag();
    });
    return v;
}

void expectSpectrum(const Spectrum& s, std::vector<cplx> expected, double tol) {
    ASSERT_EQ(s.ierr, 0);
    Spectrum e;
    for (cplx c : expected) {
        e.wr.push_back(c.real());
        e.wi.push_back(c.imag());
    }
    const std::vector<cplx> got = sorted(s), want = sorted(e);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_LT(std::abs(got[i] - want[i]), tol) << "got " << got[i] << " want " << want[i];
}

TEST(Eigenvalues, RealSpectraMatchClosedForms) {
    expectSpectrum(eigen({{-3.25}}), {-3.25}, 1e-300);
    const double r2 = std::sqrt(2.0);
    expectSpectrum(eigen({{2, 1, 0}, {1, 2, 1}, {0, 1, 2}}), {2 - r2, 2, 2 + r2}, 1e-13);
    // Companion matrix of (x-1)(x-2)(x-3)(x-4) = x^4 - 10x^3 + 35x^2 - 50x + 24.
    expectSpectrum(eigen({{10, -35, 50, -24}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}}),
                   {1, 2, 3, 4}, 1e-10);
    // Badly scaled entries that balancing evens out.
    expectSpectrum(eigen({{1, 1e6}, {1e-6, 1}}), {0, 2}, 1e-12);
}

TEST(Eigenvalues, ComplexPairsAreConsecutiveWithPositiveImaginaryFirst) {
    // Rotation block in rows 1-2; row 3 is isolated by balancing and keeps its position.
    const Spectrum s = eigen({{1, -2, 0}, {2, 1, 0}, {0, 0, 5}});
    expectSpectrum(s, {{1, 2}, {1, -2}, {5, 0}}, 1e-14);
    EXPECT_GT(s.wi[0], 0);
    EXPECT_EQ(s.wi[1], -s.wi[0]);
    EXPECT_EQ(s.wr[2], 5);

    // Damped oscillator coupled to a decay: -1 +- 3i and -0.5.
    expectSpectrum(eigen({{-1, 3, 0.7}, {-3, -1, 0.2}, {0, 0, -0.5}}),
                   {{-1, 3}, {-1, -3}, {-0.5, 0}}, 1e-12);
}

TEST(Eigenvalues, CyclicPermutationNeedsExceptionalShifts) {
    // Standard QR shifts stall on this matrix; only the exceptional shifts
    // after 10 iterations make progress.
    const double h = std::sqrt(3.0) / 2;
    expectSpectrum(eigen({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}), {{1, 0}, {-0.5, h}, {-0.5, -h}},
                   1e-12);
}

TEST(Eigenvalues, DefectiveMatricesGiveTheRepeatedValue) {
    // A Jordan block is already triangular; this one is not, but has the
    // single eigenvalue 2 with one eigenvector.
    expectSpectrum(eigen({{2, 1}, {0, 2}}), {2, 2}, 1e-14);
    expectSpectrum(eigen({{3, 1}, {-1, 1}}), {2, 2}, 1e-7);
    expectSpectrum(eigen({{1, 1, 0}, {-1, 3, 0}, {1, 0, 2}}), {2, 2, 2}, 1e-4);
}

TEST(Eigenvalues, LargerMatrixKeepsTraceAndDeterminant) {
    const int n = 8;
    std::vector<std::vector<double>> rows(n, std::vector<double>(n));
    double trace = 0.0;
    std::vector<double> colMajor(n * n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            rows[i][j] = std::sin(0.7 * i * i + 1.3 * j + 0.1);
            colMajor[j * n + i] = rows[i][j];
            if (i == j) trace += rows[i][j];
        }
    std::vector<int> ipvt(n);
    int info = 0;
    dgefa(colMajor.data(), n, n, ipvt.data(), info);
    ASSERT_EQ(info, 0);
    double det = 1.0;
    for (int k = 0; k < n; ++k)
        det *= (ipvt[k] != k + 1 ? -1.0 : 1.0) * colMajor[k * n + k];

    const Spectrum s = eigen(rows);
    ASSERT_EQ(s.ierr, 0);
    cplx sum = 0, prod = 1;
    for (int i = 0; i < n; ++i) {
        sum += cplx(s.wr[i], s.wi[i]);
        prod *= cplx(s.wr[i], s.wi[i]);
    }
    EXPECT_NEAR(sum.real(), trace, 1e-12);
    EXPECT_NEAR(sum.imag(), 0.0, 1e-12);
    EXPECT_NEAR(prod.real(), det, 1e-10 * (1 + std::fabs(det)));
}

// Balancing must not loop on non-finite rows, and the QR iteration then gives
// up and says so rather than returning a spectrum.
TEST(Eigenvalues, NonFiniteEntriesEndInAReportedFailure) {
    const double inf = std::numeric_limits<double>::infinity();
    const Spectrum s = eigen({{1, inf, 2}, {3, 1, 1}, {1, 2, std::nan("")}});
    EXPECT_GT(s.ierr, 0);
}

TEST(Eigenvalues, IterationLimitReportsThePositionBeingSought) {
    // Hessenberg input (no balancing): row 4 splits off at once; the NaN in
    // the leading block prevents any further split until the 30 n iterations
    // are spent on position 3.
    const int n = 4;
    const double nan = std::nan("");
    const double rows[n][n] = {{1, 2, 3, 4}, {nan, 1, 2, 3}, {0, 1, 1, 2}, {0, 0, 0, 7}};
    double h[n * n];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            h[j * n + i] = rows[i][j];
    double wr[n], wi[n];
    int ierr = 0;
    hqr(n, 1, n, h, wr, wi, &ierr);
    EXPECT_EQ(ierr, 3);
    EXPECT_EQ(wr[3], 7);
    EXPECT_EQ(wi[3], 0);
}

} // namespace
} // namespace kora
