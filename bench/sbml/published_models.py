#!/usr/bin/env python3
"""Writes large published model families as SBML, imports and runs them with
`kora-batch`, and times both.

becker-doring: nucleation and growth of clusters of sizes 1..n by attachment
    and detachment of monomers (Becker & Doering, Ann. Phys. 24 (1935) 719;
    the form of Ball, Carr & Penrose, Commun. Math. Phys. 104 (1986) 657):
    J_r = a_r c_1 c_r - b_{r+1} c_{r+1}, c_r' = J_{r-1} - J_r (r >= 2),
    c_1' = -J_1 - sum_r J_r, with a_r = r^(2/3) (cluster surface) and
    b_r = a_r (z_s + q r^(-1/3)) (Gibbs-Thomson), z_s = 1, q = 2, c_1(0) = 4.
    n species, n-1 reactions.
multisite: distributive sequential phosphorylation of n sites by one kinase
    E and one phosphatase F, with Michaelis-Menten complexes as mass action
    (Wang & Sontag, J. Math. Biol. 57 (2008) 29):
    S_i + E <-> ES_i -> S_{i+1} + E,  S_{i+1} + F <-> FS_{i+1} -> S_i + F.
    3n+3 species, 4n reactions.
sir-ring: SIR epidemics in n patches on a ring, coupled by migration to the
    two neighbours (Keeling & Rohani, Modeling Infectious Diseases, 2008,
    ch. 7): frequency-dependent infection beta_i S_i I_i / N_i, recovery
    gamma I_i, and every group moving at rate m to each neighbour.
    3n species, 8n reactions.

    published_models.py KORA_BATCH [--keep DIR] [--floor X] [MODEL=SIZE ...]

Prints one line per model: species, reactions, import and run CPU seconds.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<sbml xmlns="http://www.sbml.org/sbml/level3/version2/core" level="3" version="2">\n'
        '<model id="%s"><listOfCompartments><compartment id="cell" size="1" constant="true"/>'
        '</listOfCompartments>\n')
MATH = '<math xmlns="http://www.w3.org/1998/Math/MathML">%s</math>'
DEFAULT_SIZES = {'becker-doring': 400, 'multisite': 100, 'sir-ring': 100}
# Time span and report step of each run: long enough for the slow modes to move.
TIMES = {'becker-doring': (20.0, 0.2), 'multisite': (50.0, 0.5), 'sir-ring': (100.0, 1.0)}


# Initial value of the species that the published start leaves empty: a wave
# through a long chain otherwise makes values below DBL_MIN, which stop a run.
FLOOR = [0.0]


# Rate constants shared with the reference solution in published_models_check.py.
def becker_doring_constants(n, zs=1.0, q=2.0):
    a = [0.0] + [r ** (2.0 / 3.0) for r in range(1, n + 1)]
    b = [0.0, 0.0] + [a[r] * (zs + q * r ** (-1.0 / 3.0)) for r in range(2, n + 1)]
    return a, b


def multisite_constants(n):
    # Later sites are phosphorylated more slowly (steric hindrance), dephosphorylated alike.
    return [{'kon': 1.0, 'koff': 0.5, 'kcat': 1.0 / (1.0 + 0.05 * i), 'lon': 0.8,
             'loff': 0.5, 'lcat': 0.6} for i in range(n)]


def sir_ring_constants(n):
    beta = [0.4 + 0.2 * ((i * 37) % 11) / 10.0 for i in range(n)]
    return {'beta': beta, 'gamma': 0.1, 'm': 0.02}


def ci(name):
    return '<ci>%s</ci>' % name


def apply(op, *args):
    return '<apply><%s/>%s</apply>' % (op, ''.join(args))


def refs(pairs):
    return ''.join('<speciesReference species="%s" stoichiometry="%d" constant="true"/>' % p
                   for p in pairs)


def modifier_refs(names):
    if not names:
        return ''
    return '<listOfModifiers>%s</listOfModifiers>' % ''.join(
        '<modifierSpeciesReference species="%s"/>' % name for name in names)


class Writer:
    def __init__(self, name):
        self.name, self.species, self.params, self.reactions = name, [], [], []

    def add_species(self, sid, value):
        self.species.append((sid, value or FLOOR[0]))

    def add_param(self, pid, value):
        self.params.append((pid, value))
        return ci(pid)

    def add_reaction(self, rid, reactants, products, rate, reversible=False, modifiers=()):
        self.reactions.append((rid, reactants, products, rate, reversible, modifiers))

    def write(self, f):
        f.write(HEAD % self.name.replace('-', '_'))
        f.write('<listOfSpecies>\n')
        for sid, value in self.species:
            f.write('<species id="%s" compartment="cell" initialConcentration="%r"'
                    ' hasOnlySubstanceUnits="false" boundaryCondition="false" constant="false"/>\n'
                    % (sid, value))
        f.write('</listOfSpecies>\n<listOfParameters>\n')
        for pid, value in self.params:
            f.write('<parameter id="%s" value="%r" constant="true"/>\n' % (pid, value))
        f.write('</listOfParameters>\n<listOfReactions>\n')
        for rid, reactants, products, rate, reversible, modifiers in self.reactions:
            # Concentrations in a compartment of size 1: the rate is also the amount flux.
            law = apply('times', ci('cell'), rate)
            f.write('<reaction id="%s" reversible="%s"><listOfReactants>%s</listOfReactants>'
                    '<listOfProducts>%s</listOfProducts>%s<kineticLaw>%s</kineticLaw></reaction>\n'
                    % (rid, 'true' if reversible else 'false', refs(reactants), refs(products),
                       modifier_refs(modifiers), MATH % law))
        f.write('</listOfReactions></model></sbml>\n')


def becker_doring(n):
    w = Writer('becker-doring')
    a, b = becker_doring_constants(n)
    for r in range(1, n + 1):
        w.add_species('c%d' % r, 4.0 if r == 1 else 0.0)
    for r in range(1, n):
        ka, kb = w.add_param('a%d' % r, a[r]), w.add_param('b%d' % (r + 1), b[r + 1])
        forward = apply('times', ka, ci('c1'), ci('c%d' % r))
        reactants = [('c1', 2)] if r == 1 else [('c1', 1), ('c%d' % r, 1)]
        w.add_reaction('J%d' % r, reactants, [('c%d' % (r + 1), 1)],
                       apply('minus', forward, apply('times', kb, ci('c%d' % (r + 1)))), True)
    return w


def multisite(n):
    w = Writer('multisite')
    for i in range(n + 1):
        w.add_species('S%d' % i, 10.0 if i == 0 else 0.0)
    w.add_species('E', 1.0)
    w.add_species('F', 0.8)
    for i in range(n):
        w.add_species('ES%d' % i, 0.0)
        w.add_species('FS%d' % (i + 1), 0.0)
    for i, k in enumerate(multisite_constants(n)):
        p = {key: w.add_param('%s%d' % (key, i), value) for key, value in k.items()}
        s, s1, es, fs = 'S%d' % i, 'S%d' % (i + 1), 'ES%d' % i, 'FS%d' % (i + 1)
        w.add_reaction('bindE%d' % i, [(s, 1), ('E', 1)], [(es, 1)],
                       apply('minus', apply('times', p['kon'], ci(s), ci('E')),
                             apply('times', p['koff'], ci(es))), True)
        w.add_reaction('catE%d' % i, [(es, 1)], [(s1, 1), ('E', 1)], apply('times', p['kcat'], ci(es)))
        w.add_reaction('bindF%d' % i, [(s1, 1), ('F', 1)], [(fs, 1)],
                       apply('minus', apply('times', p['lon'], ci(s1), ci('F')),
                             apply('times', p['loff'], ci(fs))), True)
        w.add_reaction('catF%d' % i, [(fs, 1)], [(s, 1), ('F', 1)], apply('times', p['lcat'], ci(fs)))
    return w


def sir_ring(n):
    w = Writer('sir-ring')
    k = sir_ring_constants(n)
    gamma, m = w.add_param('gamma', k['gamma']), w.add_param('m', k['m'])
    for i in range(n):
        w.add_species('S%d' % i, 999.0 if i == 0 else 1000.0)
        w.add_species('I%d' % i, 1.0 if i == 0 else 0.0)
        w.add_species('R%d' % i, 0.0)
    for i in range(n):
        s, inf, r = 'S%d' % i, 'I%d' % i, 'R%d' % i
        total = apply('plus', ci(s), ci(inf), ci(r))
        beta = w.add_param('beta%d' % i, k['beta'][i])
        w.add_reaction('infect%d' % i, [(s, 1), (inf, 1)], [(inf, 2)],
                       apply('divide', apply('times', beta, ci(s), ci(inf)), total), modifiers=[r])
        w.add_reaction('recover%d' % i, [(inf, 1)], [(r, 1)], apply('times', gamma, ci(inf)))
        for other in ((i + 1) % n, (i - 1) % n):
            for group in 'SIR':
                src, dst = '%s%d' % (group, i), '%s%d' % (group, other)
                w.add_reaction('move%s%d_%d' % (group, i, other), [(src, 1)], [(dst, 1)],
                               apply('times', m, ci(src)))
    return w


MODELS = {'becker-doring': becker_doring, 'multisite': multisite, 'sir-ring': sir_ring}


def timed(command):
    """CPU seconds (user + system) of the child alone, and its wall time."""
    start = time.monotonic()
    child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit('%s failed (%d): %s' % (' '.join(command), os.waitstatus_to_exitcode(status),
                                          child.stderr.read().decode()[:2000]))
    return usage.ru_utime + usage.ru_stime, wall


def set_times(krm, tf, hr):
    with open(krm) as f:
        text = f.read()
    text = re.sub(r'(?m)^tf = .*$', 'tf = %r' % tf, text)
    text = re.sub(r'(?m)^hr = .*$', 'hr = %r' % hr, text)
    with open(krm, 'w') as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('batch')
    parser.add_argument('models', nargs='*', help='MODEL or MODEL=SIZE; default: all')
    parser.add_argument('--keep', help='folder to keep the SBML files, models and results in')
    parser.add_argument('--floor', type=float, default=0.0,
                        help='initial value of the species otherwise empty')
    args = parser.parse_intermixed_args()
    FLOOR[0] = args.floor
    folder = args.keep or tempfile.mkdtemp()
    for spec in args.models or list(DEFAULT_SIZES):
        name, _, size = spec.partition('=')
        n = int(size) if size else DEFAULT_SIZES[name]
        model = MODELS[name](n)
        base = os.path.join(folder, '%s%d' % (name, n))
        with open(base + '.xml', 'w') as f:
            model.write(f)
        import_cpu, import_wall = timed([args.batch, 'import', base + '.xml', '-o', base + '.krm'])
        set_times(base + '.krm', *TIMES[name])
        run_cpu, run_wall = timed([args.batch, 'run', base + '.krm', '--method', 'lsoda',
                                   '--tol', '10', '-o', base + '.res'])
        print('%-13s n=%-4d %4d species %4d reactions  import cpu %5.2f s (wall %5.2f)'
              '  run cpu %5.2f s (wall %5.2f)' %
              (name, n, len(model.species), len(model.reactions), import_cpu, import_wall,
               run_cpu, run_wall), flush=True)
        if not args.keep:
            for ext in ('.xml', '.krm', '.res'):
                os.remove(base + ext)


if __name__ == '__main__':
    main()
