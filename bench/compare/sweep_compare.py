#!/usr/bin/python3
"""A parameter sweep at scale: the 4-variable S-system of models/sweep4.krm
solved once per value of X0 (X0 = 0.5 : 5 : step, tf = 20, hr = 1), writing
X0 and the last X4 of every run. KORA runs the model's own script with
kora-batch; the peer is the same sweep as a Python loop over scipy's odeint.
Wall-clock medians of repeated runs, for 451 and 4,501 runs, so that the
growth with the number of runs shows too.

Usage: sweep_compare.py KORA_BATCH [REPEATS]"""
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.integrate import odeint

HERE = os.path.dirname(os.path.abspath(__file__))
MODEL = os.path.join(HERE, "models", "sweep4.krm")
STEPS = {451: "0.01", 4501: "0.001"}


def rhs(y, t, x0):
    x1, x2, x3, x4 = y
    return [2 * x0 * x4 ** -0.5 - 1.5 * x1 ** 0.5,
            1.5 * x1 ** 0.5 - 1.2 * x2 ** 0.5,
            1.2 * x2 ** 0.5 - 1 * x3 ** 0.5,
            1 * x3 ** 0.5 - 0.8 * x4 ** 0.6]


def scipy_sweep(runs):
    times = np.arange(0.0, 21.0, 1.0)
    lines = []
    for k in range(runs):
        x0 = 0.5 + k * (4.5 / (runs - 1))
        solution = odeint(rhs, [0.1] * 4, times, args=(x0,), rtol=1e-6, atol=2.22e-13)
        lines.append((x0, solution[-1, 3]))
    return lines


def kora_sweep(batch, model):
    subprocess.run([batch, "run", model], check=True, stdout=subprocess.DEVNULL)


def median_seconds(work, repeats):
    samples = []
    for _ in range(repeats):
        start = time.perf_counter()
        work()
        samples.append(time.perf_counter() - start)
    return statistics.median(samples)


def main():
    batch = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    text = open(MODEL).read()
    print("| runs | KORA (kora-batch) s | scipy odeint loop s | ratio |")
    print("|---|---|---|---|")
    with tempfile.TemporaryDirectory() as folder:
        for runs, step in STEPS.items():
            model = os.path.join(folder, "sweep%d.krm" % runs)
            with open(model, "w") as out:
                out.write(re.sub(r"0\.5 : 5 : [0-9.]+", "0.5 : 5 : " + step, text))
            kora = median_seconds(lambda: kora_sweep(batch, model), repeats)
            peer = median_seconds(lambda: scipy_sweep(runs), repeats)
            print("| %d | %.3f | %.3f | %.1f x |" % (runs, kora, peer, peer / kora))


if __name__ == "__main__":
    main()
