// Exact Jacobians of the steady-state residuals, in the shape the nonlinear
// solver calls them: fjac receives d f / dx (n x n by columns).
#pragma once

#include <vector>

#include "model/model_jacobian.h"
#include "ss_residuals.h"

namespace kora {

// Of powerLawResidual, in closed form: term c prod x^e adds e_j term / x_j
// to column j. Same context; the same refusals of non-positive x.
void powerLawJacobian(void* context, int n, const double* x, double* fjac, int* iflag);

// modelJacobian's context: the products and the residual's constants.
struct ModelJacobianContext {
    ModelJacobianContext(const KRMparser& model, const std::vector<double>& constants);

    ModelJacobian products;
    const std::vector<double>* constants;
    std::vector<double> seed;
};

// Of modelResidual, one column per forward-mode product.
void modelJacobian(void* context, int n, const double* x, double* fjac, int* iflag);

} // namespace kora
