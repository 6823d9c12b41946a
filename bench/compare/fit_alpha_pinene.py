"""SciPy's least_squares on the alpha-pinene problem of examples/fit, for the
comparison in docs/performance.md: the same model, data, start (all rates
1e-4) and solver tolerances as `kora-batch fit` uses by default (LSODA,
rtol 1e-10, atol 2.22e-13). Prints the optimum, evaluations and the median
time of a whole fit for each method."""
import statistics
import sys
import time

import numpy as np
from scipy.integrate import solve_ivp
from scipy.optimize import least_squares

T = np.array([1230, 3060, 4920, 7800, 10680, 15030, 22620, 36420], float)
Y = np.array([
    [88.35, 7.3, 2.3, 0.4, 1.75], [76.4, 15.6, 4.5, 0.7, 2.8],
    [65.1, 23.1, 5.3, 1.1, 5.8], [50.4, 32.9, 6.0, 1.5, 9.3],
    [37.5, 42.7, 6.0, 1.9, 12.0], [25.9, 49.1, 5.9, 2.2, 17.0],
    [14.0, 57.4, 5.1, 2.6, 21.0], [4.5, 63.1, 3.8, 2.9, 25.7]])
Y0 = [100.0, 0, 0, 0, 0]


def rhs(_t, y, k1, k2, k3, k4, k5):
    return [-(k1 + k2) * y[0], k1 * y[0], k2 * y[0] - (k3 + k4) * y[2] + k5 * y[4],
            k3 * y[2], k4 * y[2] - k5 * y[4]]


def residuals(k):
    sol = solve_ivp(rhs, (0, T[-1]), Y0, method="LSODA", t_eval=T, args=tuple(k),
                    rtol=1e-10, atol=2.22e-13)
    return (sol.y.T - Y).ravel()


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    for method in ("lm", "trf"):
        times = []
        for _ in range(repeats):
            start = time.perf_counter()
            fit = least_squares(residuals, np.full(5, 1e-4), method=method, x_scale="jac",
                                ftol=1e-10, xtol=1e-10)
            times.append(time.perf_counter() - start)
        ssr = float(np.sum(fit.fun ** 2))
        print(f"scipy {method}: ssr {ssr:.6f} nfev {fit.nfev} njev {fit.njev} "
              f"median {1000 * statistics.median(times):.1f} ms k {fit.x}")


if __name__ == "__main__":
    main()
