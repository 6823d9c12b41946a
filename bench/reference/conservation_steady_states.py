#!/usr/bin/python3
"""Reference steady states of models with conservation relations.

Solves each model's reduced system with scipy's fsolve (the first equation of
each relation replaced by c . (x - x0) = 0) and gives the eigenvalues of the
Jacobian projected on the null space of the relations, the motion on the
totals. The figures are quoted in tests/numeric/ss_conservation_test.cpp.

Usage: /usr/bin/python3 bench/reference/conservation_steady_states.py
"""
import numpy as np
from scipy.linalg import null_space
from scipy.optimize import fsolve


def reduced_steady_state(f, x0, relations, guess=None):
    c = np.array(relations, float)
    x0 = np.array(x0, float)
    totals = c @ x0
    pivots = [int(np.nonzero(row)[0][0]) for row in c]

    def g(x):
        r = np.array(f(x), float)
        for k, p in enumerate(pivots):
            r[p] = c[k] @ x - totals[k]
        return r

    x = fsolve(g, x0 if guess is None else guess, xtol=1e-14)
    n = len(x)
    jac = np.zeros((n, n))
    for j in range(n):
        h = 1e-7 * max(1.0, abs(x[j]))
        e = np.zeros(n)
        e[j] = h
        jac[:, j] = (np.array(f(x + e)) - np.array(f(x - e))) / (2 * h)
    basis = null_space(c)
    return x, np.linalg.eigvals(np.linalg.pinv(basis) @ jac @ basis), totals


def main():
    k1, km1, k2, vin = 3, 1, 2, 1.5
    print("enzyme", reduced_steady_state(
        lambda x: [-k1 * x[0] * x[1] + (km1 + k2) * x[2], vin - k1 * x[0] * x[1] + km1 * x[2],
                   k1 * x[0] * x[1] - (km1 + k2) * x[2]], [2, 1, 0.5], [[1, 0, 1]]))
    a, b, c = 1, 0.7, 0.4
    print("moieties", reduced_steady_state(
        lambda x: [a * x[1] * x[2] - b * x[0], b * x[0] - a * x[1] * x[2],
                   c * x[3] - a * x[1] * x[2], a * x[1] * x[2] - c * x[3]],
        [2, 1, 0.5, 1.5], [[1, 1, 0, 0], [0, 0, 1, 1]]))
    k1, k2, v1, v2 = 0.9, 0.35, 1.5, 0.37
    print("volumes", reduced_steady_state(
        lambda x: [-(k1 * x[0] - k2 * x[1]) / v1, (k1 * x[0] - k2 * x[1]) / v2], [1, 0.2],
        [[1, v2 / v1]]))
    print("robertson", reduced_steady_state(
        lambda y: [-0.04 * y[0] + 1e4 * y[1] * y[2],
                   0.04 * y[0] - 1e4 * y[1] * y[2] - 3e7 * y[1] ** 2, 3e7 * y[1] ** 2],
        [1, 0, 0], [[1, 1, 1]], guess=[1e-3, 1e-6, 0.999]))


if __name__ == "__main__":
    main()
