#!/usr/bin/env python3
"""Compares the results that published_models.py kept with a SciPy solution of
the same formulas, written here as vector ODEs (not read from the SBML or the
converted text).

    /usr/bin/python3 published_models_check.py FOLDER [--floor X] [MODEL=SIZE ...]

Prints per model the largest relative difference at the compared times, where
values below 1e-9 of the largest initial value count against that size
instead of their own.
"""
import argparse
import os

import numpy as np
from scipy.integrate import solve_ivp

import published_models as pm

CHECK_TIMES = 5


def becker_doring(n, floor):
    a, b = (np.array(v) for v in pm.becker_doring_constants(n))
    y0 = np.full(n, floor)
    y0[0] = 4.0

    def rhs(_, c):
        flux = a[1:n] * c[0] * c[:n - 1] - b[2:n + 1] * c[1:]   # J_1 .. J_{n-1}
        dc = np.zeros(n)
        dc[1:] += flux
        dc[1:n - 1] -= flux[1:]
        dc[0] = -flux[0] - flux.sum()
        return dc
    return ['c%d' % r for r in range(1, n + 1)], y0, rhs


def multisite(n, floor):
    k = pm.multisite_constants(n)
    kon, koff, kcat, lon, loff, lcat = (np.array([site[key] for site in k]) for key in
                                        ('kon', 'koff', 'kcat', 'lon', 'loff', 'lcat'))
    names = (['S%d' % i for i in range(n + 1)] + ['E', 'F'] + ['ES%d' % i for i in range(n)] +
             ['FS%d' % (i + 1) for i in range(n)])
    y0 = np.full(3 * n + 3, floor)
    y0[0], y0[n + 1], y0[n + 2] = 10.0, 1.0, 0.8

    def rhs(_, y):
        s, e, f, es, fs = y[:n + 1], y[n + 1], y[n + 2], y[n + 3:2 * n + 3], y[2 * n + 3:]
        bind_e = kon * s[:n] * e - koff * es
        cat_e = kcat * es
        bind_f = lon * s[1:] * f - loff * fs
        cat_f = lcat * fs
        ds = np.zeros(n + 1)
        ds[:n] += -bind_e + cat_f
        ds[1:] += cat_e - bind_f
        de = (cat_e - bind_e).sum()
        df = (cat_f - bind_f).sum()
        return np.concatenate([ds, [de, df], bind_e - cat_e, bind_f - cat_f])
    return names, y0, rhs


def sir_ring(n, floor):
    k = pm.sir_ring_constants(n)
    beta, gamma, m = np.array(k['beta']), k['gamma'], k['m']
    names = [g + str(i) for g in 'SIR' for i in range(n)]
    y0 = np.concatenate([np.full(n, 1000.0), np.full(n, floor), np.full(n, floor)])
    y0[0], y0[n] = 999.0, 1.0

    def rhs(_, y):
        s, i, r = y[:n], y[n:2 * n], y[2 * n:]
        infection = beta * s * i / (s + i + r)

        def move(x):
            return m * (np.roll(x, 1) + np.roll(x, -1) - 2 * x)
        return np.concatenate([-infection + move(s), infection - gamma * i + move(i),
                               gamma * i + move(r)])
    return names, y0, rhs


MODELS = {'becker-doring': becker_doring, 'multisite': multisite, 'sir-ring': sir_ring}


def read_results(path):
    with open(path) as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith('[Data]'))
    header = lines[start + 1].split('\t')
    rows = [[float(v) for v in line.split('\t') if v] for line in lines[start + 2:] if line.strip()]
    return {name: np.array([row[j] for row in rows]) for j, name in enumerate(header) if name}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('models', nargs='*')
    parser.add_argument('--floor', type=float, default=0.0)
    args = parser.parse_intermixed_args()
    for spec in args.models or list(pm.DEFAULT_SIZES):
        name, _, size = spec.partition('=')
        n = int(size) if size else pm.DEFAULT_SIZES[name]
        names, y0, rhs = MODELS[name](n, args.floor)
        ours = read_results(os.path.join(args.folder, '%s%d.res' % (name, n)))
        times = ours['t']
        picks = np.linspace(0, len(times) - 1, CHECK_TIMES + 1).astype(int)[1:]
        reference = solve_ivp(rhs, (0.0, times[-1]), y0, method='LSODA', t_eval=times[picks],
                              rtol=1e-12, atol=1e-16 * y0.max())
        if not reference.success:
            print('%s: SciPy failed: %s' % (name, reference.message))
            continue
        scale = 1e-9 * y0.max()
        worst, where = 0.0, ''
        for j, species in enumerate(names):
            got, want = ours[species][picks], reference.y[j]
            rel = np.abs(got - want) / np.maximum(np.abs(want), scale)
            if rel.max() > worst:
                worst, where = rel.max(), '%s at t=%g' % (species, times[picks][rel.argmax()])
        print('%-13s n=%-4d %d species at %s: largest relative difference %.2e (%s)' %
              (name, n, len(names), ', '.join('%g' % t for t in times[picks]), worst, where))


if __name__ == '__main__':
    main()
