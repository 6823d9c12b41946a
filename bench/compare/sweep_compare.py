#!/usr/bin/python3
"""Parameter sweeps at scale: the 4-variable S-system of models/sweep4.krm
solved once per point of a sweep (tf = 20, hr = 1), writing the swept values
and the last X4 of every run. KORA runs the model's own script with
kora-batch on one thread and on two (--threads); the peer is the same sweep
as a Python loop over scipy's odeint.

Sweeps: X0 = 0.5 : 5 in 451 and 4,501 runs (one loop), and X0 = 0.5 : 5
times the initial X1 = 0.05 : 0.5 in 61 x 61 = 3,721 runs (two nested loops).
Wall-clock medians of repeated runs, the three taking turns in every round,
and CPU times (user + system), which a loaded machine disturbs less.

Usage: sweep_compare.py KORA_BATCH [REPEATS]"""
import os
import re
import resource
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np
from scipy.integrate import odeint

HERE = os.path.dirname(os.path.abspath(__file__))
MODEL = os.path.join(HERE, "models", "sweep4.krm")
TIMES = np.arange(0.0, 21.0, 1.0)


def rhs(y, t, x0):
    x1, x2, x3, x4 = y
    return [2 * x0 * x4 ** -0.5 - 1.5 * x1 ** 0.5,
            1.5 * x1 ** 0.5 - 1.2 * x2 ** 0.5,
            1.2 * x2 ** 0.5 - 1 * x3 ** 0.5,
            1 * x3 ** 0.5 - 0.8 * x4 ** 0.6]


def solve_last_x4(x0, x1):
    solution = odeint(rhs, [x1, 0.1, 0.1, 0.1], TIMES, args=(x0,), rtol=1e-6, atol=2.22e-13)
    return solution[-1, 3]


def values(low, high, count):
    return [low + k * ((high - low) / (count - 1)) for k in range(count)]


class Sweep:
    def __init__(self, label, script, x0s, x1s):
        self.label, self.script, self.x0s, self.x1s = label, script, x0s, x1s

    def runs(self):
        return len(self.x0s) * len(self.x1s)

    def scipy(self):
        return [(x0, x1, solve_last_x4(x0, x1)) for x0 in self.x0s for x1 in self.x1s]


def sweeps():
    one = "SETTING X0 = 0.5 : 5 : %s\nRUN\nW X0, X4@LAST\nNEXT\n"
    two = ("SETTING X0 = 0.5 : 5 : 0.075\nSETTING X1 = 0.05 : 0.5 : 0.0075\nRUN\n"
           "W X0, X1, X4@LAST\nNEXT\nNEXT\n")
    return [Sweep("X0, 451 values", one % "0.01", values(0.5, 5, 451), [0.1]),
            Sweep("X0, 4,501 values", one % "0.001", values(0.5, 5, 4501), [0.1]),
            Sweep("X0 x X1, 61 x 61 values", two, values(0.5, 5, 61), values(0.05, 0.5, 61))]


def model_text(script):
    text = open(MODEL).read()
    return re.sub(r"SCRIPT\n.*END SCRIPT", "SCRIPT\n" + script + "END SCRIPT", text,
                  flags=re.S)


def kora_sweep(batch, model, threads):
    subprocess.run([batch, "run", model, "--threads", str(threads)], check=True,
                   stdout=subprocess.DEVNULL)


def cpu_seconds():
    """CPU time of this process and its finished children."""
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return time.process_time() + usage.ru_utime + usage.ru_stime


def medians(works, repeats):
    """Median wall and CPU seconds of each piece of work. The pieces take
    turns within every round, so a machine that slows down for a while
    slows them all alike and their ratios hold."""
    walls = [[] for _ in works]
    cpus = [[] for _ in works]
    for _ in range(repeats):
        for k, work in enumerate(works):
            cpu = cpu_seconds()
            start = time.perf_counter()
            work()
            walls[k].append(time.perf_counter() - start)
            cpus[k].append(cpu_seconds() - cpu)
    return [(statistics.median(w), statistics.median(c)) for w, c in zip(walls, cpus)]


def main():
    batch = sys.argv[1]
    repeats = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    print("load average before: %.2f %.2f %.2f" % os.getloadavg())
    print("| sweep | runs | KORA 1 thread s (CPU s) | KORA 2 threads s | 2-thread scaling "
          "| scipy odeint loop s (CPU s) | odeint / KORA 1 thread, wall (CPU) |")
    print("|---|---|---|---|---|---|---|")
    with tempfile.TemporaryDirectory() as folder:
        for number, sweep in enumerate(sweeps()):
            model = os.path.join(folder, "sweep%d.krm" % number)
            with open(model, "w") as out:
                out.write(model_text(sweep.script))
            (one, one_cpu), (two, _), (peer, peer_cpu) = medians(
                [lambda: kora_sweep(batch, model, 1), lambda: kora_sweep(batch, model, 2),
                 sweep.scipy], repeats)
            print("| %s | %d | %.3f (%.3f) | %.3f | %.2f x | %.3f (%.3f) | %.1f x (%.1f x) |"
                  % (sweep.label, sweep.runs(), one, one_cpu, two, one / two, peer, peer_cpu,
                     peer / one, peer_cpu / one_cpu))
    print("load average after: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
