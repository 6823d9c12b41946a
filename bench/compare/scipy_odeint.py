#!/usr/bin/env python3
"""Times scipy's odeint (the Fortran LSODA with a Python right-hand side) on the
comparison problems. One tab-separated line per problem and tolerance:
name, tolerance, median seconds per solve, steps, function evaluations, final state."""
import statistics
import sys
import time

import numpy as np
from scipy.integrate import odeint

ATOL = 1000 * 2.22044604926e-16
RATES = [1.0, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7, 1.8, 1.9, 2.0]


def robertson(y, t):
    a = 0.04 * y[0]
    b = 1e4 * y[1] * y[2]
    c = 3e7 * y[1] * y[1]
    return [-a + b, a - b - c, c]


def hires(y, t):
    return [
        -1.71 * y[0] + 0.43 * y[1] + 8.32 * y[2] + 0.0007,
        1.71 * y[0] - 8.75 * y[1],
        -10.03 * y[2] + 0.43 * y[3] + 0.035 * y[4],
        8.32 * y[1] + 1.71 * y[2] - 1.12 * y[3],
        -1.745 * y[4] + 0.43 * y[5] + 0.43 * y[6],
        -280.0 * y[5] * y[7] + 0.69 * y[3] + 1.71 * y[4] - 0.43 * y[5] + 0.69 * y[6],
        280.0 * y[5] * y[7] - 1.81 * y[6],
        -280.0 * y[5] * y[7] + 1.81 * y[6],
    ]


def vanderpol(y, t):
    return [y[1], 1000.0 * (1.0 - y[0] * y[0]) * y[1] - y[0]]


def schain(y, t):
    n = len(y)
    f = [RATES[0] * y[n - 1] ** -0.5 - RATES[1] * y[0] ** 0.5]
    for i in range(1, n):
        f.append(RATES[i] * y[i - 1] ** 0.5 - RATES[i + 1] * y[i] ** 0.5)
    return f


def gmachain(y, t):
    n = len(y)
    f = [2.0 - y[0] ** 0.5 - 0.05 * y[0]]
    for i in range(1, n):
        f.append(y[i - 1] ** 0.5 + 0.05 * y[i - 1] - y[i] ** 0.5 - 0.05 * y[i])
    return f


PROBLEMS = [
    ("Robertson", robertson, [1.0, 0.0, 0.0], 40.0, 4.0, [1e-6, 1e-9]),
    ("HIRES", hires, [1, 0, 0, 0, 0, 0, 0, 0.0057], 321.8122, 32.18122, [1e-6, 1e-9]),
    ("VanDerPol", vanderpol, [2.0, 0.0], 3000.0, 300.0, [1e-6, 1e-9]),
    ("SChain10", schain, [1.0] * 10, 100.0, 1.0, [1e-6, 1e-9, 1e-12]),
    ("GmaChain100", gmachain, [1.0] * 100, 100.0, 1.0, [1e-6, 1e-9, 1e-12]),
]


def report_times(tf, hr):
    k = int(np.floor(tf / hr + 1e-9))
    times = [i * hr for i in range(k + 1)]
    if tf - times[-1] > 1e-9 * hr:
        times.append(tf)
    else:
        times[-1] = tf
    return np.array(times)


def main():
    budget = float(sys.argv[1]) if len(sys.argv) > 1 else 2.0
    for name, f, y0, tf, hr, tols in PROBLEMS:
        times = report_times(tf, hr)
        for tol in tols:
            args = dict(rtol=tol, atol=ATOL, mxstep=100000, full_output=True)
            y, info = odeint(f, y0, times, **args)  # warm-up
            samples = []
            start = time.perf_counter()
            while len(samples) < 3 or (time.perf_counter() - start < budget and len(samples) < 50):
                t1 = time.perf_counter()
                y, info = odeint(f, y0, times, **args)
                samples.append(time.perf_counter() - t1)
            final = " ".join(repr(float(v)) for v in y[-1])
            print(f"{name}\t{tol:g}\t{statistics.median(samples):.9g}\t{int(info['nst'][-1])}"
                  f"\t{int(info['nfe'][-1])}\t{final}", flush=True)


if __name__ == "__main__":
    main()
