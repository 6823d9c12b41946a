#include "lsoda_engine.h"

namespace kora {

namespace {

// Implicit Adams methods of orders 1 to 12. For order nq the coefficients
// come from the polynomial p(x) = (x+1)(x+2)...(x+nq-1), integrated from -1.
void AdamsCoefficients(LsodaCoefficients& table) {
    auto elco = [&table](int i, int nq) -> double& { return table.elco[nq - 1][i - 1]; };
    auto tesco = [&table](int k, int nq) -> double& { return table.tesco[nq - 1][k - 1]; };
    double pc[13] = {};

    elco(1, 1) = 1.0;
    elco(2, 1) = 1.0;
    tesco(1, 1) = 0.0;
    tesco(2, 1) = 2.0;
    tesco(1, 2) = 1.0;
    tesco(3, 12) = 0.0;
    pc[1] = 1.0;
    double rqfac = 1.0;
    for (int nq = 2; nq <= 12; ++nq) {
        const double rq1fac = rqfac;
        rqfac = rqfac / static_cast<double>(nq);
        const int nqm1 = nq - 1;
        const double fnqm1 = static_cast<double>(nqm1);
        const int nqp1 = nq + 1;
        // p(x) *= (x + nq - 1)
        pc[nq] = 0.0;
        for (int ib = 1; ib <= nqm1; ++ib) {
            const int i = nqp1 - ib;
            pc[i] = pc[i - 1] + fnqm1 * pc[i];
        }
        pc[1] = fnqm1 * pc[1];
        // Integrals from -1 to 0 of p(x) and of x p(x).
        double pint = pc[1];
        double xpin = pc[1] / 2.0;
        double tsign = 1.0;
        for (int i = 2; i <= nq; ++i) {
            tsign = -tsign;
            pint = pint + tsign * pc[i] / static_cast<double>(i);
            xpin = xpin + tsign * pc[i] / static_cast<double>(i + 1);
        }
        elco(1, nq) = pint * rq1fac;
        elco(2, nq) = 1.0;
        for (int i = 2; i <= nq; ++i)
            elco(i + 1, nq) = rq1fac * pc[i] / static_cast<double>(i);
        const double agamq = rqfac * xpin;
        const double ragq = 1.0 / agamq;
        tesco(2, nq) = ragq;
        if (nq < 12) tesco(1, nqp1) = ragq * rqfac / static_cast<double>(nqp1);
        tesco(3, nqm1) = ragq;
    }
}

// Backward differentiation formulas of orders 1 to 5, from the polynomial
// (x+1)(x+2)...(x+nq) scaled so that its linear coefficient is 1.
void BdfCoefficients(LsodaCoefficients& table) {
    auto elco = [&table](int i, int nq) -> double& { return table.elco[nq - 1][i - 1]; };
    auto tesco = [&table](int k, int nq) -> double& { return table.tesco[nq - 1][k - 1]; };
    double pc[13] = {};

    pc[1] = 1.0;
    double rq1fac = 1.0;
    for (int nq = 1; nq <= 5; ++nq) {
        const double fnq = static_cast<double>(nq);
        const int nqp1 = nq + 1;
        pc[nqp1] = 0.0;
        for (int ib = 1; ib <= nq; ++ib) {
            const int i = nq + 2 - ib;
            pc[i] = pc[i - 1] + fnq * pc[i];
        }
        pc[1] = fnq * pc[1];
        for (int i = 1; i <= nqp1; ++i)
            elco(i, nq) = pc[i] / pc[2];
        elco(2, nq) = 1.0;
        tesco(1, nq) = rq1fac;
        tesco(2, nq) = static_cast<double>(nqp1) / elco(1, nq);
        tesco(3, nq) = static_cast<double>(nq + 2) / elco(1, nq);
        rq1fac = rq1fac / fnq;
    }
}

// A table filled from nothing by one method's routine.
LsodaCoefficients Computed(void (*fill)(LsodaCoefficients&)) {
    LsodaCoefficients table = {};
    fill(table);
    return table;
}

} // namespace

void cfode(int meth, LsodaCoefficients& table) {
    // The tables depend on the method alone, and a sweep starts thousands
    // of runs, so each is worked out once. Every entry a step reads is one
    // the method's routine writes.
    static const LsodaCoefficients adams = Computed(AdamsCoefficients);
    static const LsodaCoefficients bdf = Computed(BdfCoefficients);
    table = meth == 1 ? adams : bdf;
}

} // namespace kora
