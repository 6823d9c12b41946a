#!/usr/bin/python3
"""Reference counts and values from the Fortran LSODA wrapped by scipy.

Writes, for each test problem and relative tolerance, one line per report
time with the cumulative step, function and Jacobian counts, the method in
use, the last switch time and the solution. The right-hand sides use the same
arithmetic in the same order as the C++ test problems (tests/numeric), so
both solvers see bit-identical derivatives; report times are formed as the
solver forms them (start + k*interval, the end snapped exactly).

Usage: /usr/bin/python3 bench/reference/lsoda_counts.py > tests/data/lsoda_reference.txt
"""
import sys

import numpy
import scipy
from scipy.integrate import odeint

ATOL = 1000.0 * 2.22044604926e-16
TOLERANCES = (1e-6, 1e-9)


def robertson(y, t):
    y1, y2, y3 = (float(v) for v in y)
    return [-0.04 * y1 + 1e4 * y2 * y3,
            0.04 * y1 - 1e4 * y2 * y3 - 3e7 * y2 * y2,
            3e7 * y2 * y2]


def hires(y, t):
    y1, y2, y3, y4, y5, y6, y7, y8 = (float(v) for v in y)
    return [-1.71 * y1 + 0.43 * y2 + 8.32 * y3 + 0.0007,
            1.71 * y1 - 8.75 * y2,
            -10.03 * y3 + 0.43 * y4 + 0.035 * y5,
            8.32 * y2 + 1.71 * y3 - 1.12 * y4,
            -1.745 * y5 + 0.43 * y6 + 0.43 * y7,
            -280.0 * y6 * y8 + 0.69 * y4 + 1.71 * y5 - 0.43 * y6 + 0.69 * y7,
            280.0 * y6 * y8 - 1.81 * y7,
            -280.0 * y6 * y8 + 1.81 * y7]


def van_der_pol(y, t):
    y1, y2 = (float(v) for v in y)
    return [y2, 1000.0 * (1.0 - y1 * y1) * y2 - y1]


def s_system(y, t):
    x1, x2, x3 = (float(v) for v in y)
    return [2.0 * x3 ** -0.5 - 1.5 * x1 ** 0.5,
            1.5 * x1 ** 0.5 - 1.2 * x2 ** 0.5,
            1.2 * x2 ** 0.5 - x3 ** 0.5]


# name, right-hand side, initial values, t0, tf, report interval
PROBLEMS = [
    ("robertson", robertson, [1.0, 0.0, 0.0], 0.0, 40.0, 4.0),
    ("hires", hires, [1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0057], 0.0, 321.8122, 32.18122),
    ("vanderpol", van_der_pol, [2.0, 0.0], 0.0, 3000.0, 300.0),
    ("ssystem", s_system, [0.5, 0.5, 0.5], 0.0, 10.0, 1.0),
]


def report_times(t0, tf, hr):
    """start + k*hr; a time within 1e-9 of an interval of the end is the end."""
    times = [t0]
    k = 1
    while True:
        t = t0 + k * hr
        if t >= tf - 1e-9 * abs(hr):
            times.append(tf)
            return times
        times.append(t)
        k += 1


def main():
    out = sys.stdout
    out.write("# LSODA reference: scipy %s, numpy %s, atol %.17g\n"
              % (scipy.__version__, numpy.__version__, ATOL))
    out.write("# problem <name> <rtol> <n> <rows>\n")
    out.write("# <t> <nst> <nfe> <nje> <mused> <tsw> <y1> ... <yn>\n")
    for name, rhs, y0, t0, tf, hr in PROBLEMS:
        times = report_times(t0, tf, hr)
        for rtol in TOLERANCES:
            sol, info = odeint(rhs, y0, times, rtol=rtol, atol=ATOL, mxstep=100000,
                               full_output=True)
            if info["message"] != "Integration successful.":
                raise SystemExit("%s rtol %g: %s" % (name, rtol, info["message"]))
            out.write("problem %s %.17g %d %d\n" % (name, rtol, len(y0), len(times) - 1))
            # The counts of entry k are those after the call that reached times[k + 1].
            for k in range(len(times) - 1):
                fields = [times[k + 1], info["nst"][k], info["nfe"][k], info["nje"][k],
                          info["mused"][k], info["tsw"][k]] + list(sol[k + 1])
                out.write(" ".join("%.17g" % float(v) if isinstance(v, float) or
                                   isinstance(v, numpy.floating) else str(int(v))
                                   for v in fields) + "\n")


if __name__ == "__main__":
    main()
