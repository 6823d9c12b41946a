#!/usr/bin/env python3
"""Times `kora-batch import` on generated SBML models of growing size.

ring:  n species in a ring of n mass-action reactions (about 520 bytes per
       species; 33,500 species make a 17 MB file).
rules: the ring, with a function definition in every rate, an initial
       assignment for every species and a chain of n assignment rules
       written last-first, so each rule uses the one below it.

    import_sizes.py KORA_BATCH [--kind ring|rules] [--keep DIR] N...

Prints one line per size: species, file size, wall and CPU seconds, peak memory.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

HEAD = ('<?xml version="1.0" encoding="UTF-8"?>\n'
        '<sbml xmlns="http://www.sbml.org/sbml/level3/version2/core" level="3" version="2">\n'
        '<model id="ring"><listOfCompartments><compartment id="c" size="1" constant="true"/>'
        '</listOfCompartments>\n')
MATH = '<math xmlns="http://www.w3.org/1998/Math/MathML">%s</math>'


def apply(op, *args):
    return '<apply><%s/>%s</apply>' % (op, ''.join(args))


def ci(name):
    return '<ci>%s</ci>' % name


def write_model(f, n, kind):
    rich = kind == 'rules'
    f.write(HEAD)
    if rich:
        f.write('<listOfFunctionDefinitions><functionDefinition id="rate">' +
                MATH % ('<lambda><bvar><ci>a</ci></bvar><bvar><ci>b</ci></bvar>' +
                        apply('times', ci('a'), ci('b')) + '</lambda>') +
                '</functionDefinition></listOfFunctionDefinitions>\n')
    f.write('<listOfSpecies>\n')
    for i in range(n):
        f.write('<species id="S%d" compartment="c" initialAmount="%g" hasOnlySubstanceUnits="true"'
                ' boundaryCondition="false" constant="false"/>\n' % (i, 1.0 if i == 0 else 0.0))
    f.write('</listOfSpecies>\n<listOfParameters><parameter id="k" value="0.5" constant="true"/>\n')
    if rich:
        for i in range(n):
            f.write('<parameter id="P%d" constant="false"/>\n' % i)
    f.write('</listOfParameters>\n')
    if rich:
        f.write('<listOfInitialAssignments>\n')
        for i in range(n):
            f.write('<initialAssignment symbol="S%d">%s</initialAssignment>\n' %
                    (i, MATH % apply('divide', '<cn>%d</cn>' % (i + 1), '<cn>%d</cn>' % n)))
        f.write('</listOfInitialAssignments>\n<listOfRules>\n')
        for i in range(n):
            below = apply('plus', ci('P%d' % (i + 1)), ci('S%d' % i)) if i + 1 < n else ci('S%d' % i)
            f.write('<assignmentRule variable="P%d">%s</assignmentRule>\n' % (i, MATH % below))
        f.write('</listOfRules>\n')
    f.write('<listOfReactions>\n')
    for i in range(n):
        args = ci('k') + ci('S%d' % i)
        rate = '<apply><ci>rate</ci>%s</apply>' % args if rich else apply('times', args)
        f.write('<reaction id="R%d" reversible="false"><listOfReactants><speciesReference species="S%d"'
                ' stoichiometry="1" constant="true"/></listOfReactants><listOfProducts>'
                '<speciesReference species="S%d" stoichiometry="1" constant="true"/></listOfProducts>'
                '<kineticLaw>%s</kineticLaw></reaction>\n' % (i, i, (i + 1) % n, MATH % rate))
    f.write('</listOfReactions></model></sbml>\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('batch')
    parser.add_argument('sizes', nargs='+', type=int)
    parser.add_argument('--kind', choices=['ring', 'rules'], default='ring')
    parser.add_argument('--keep', help='folder to keep the generated files and models in')
    args = parser.parse_args()
    folder = args.keep or tempfile.mkdtemp()
    for n in args.sizes:
        xml = os.path.join(folder, '%s%d.xml' % (args.kind, n))
        with open(xml, 'w') as f:
            write_model(f, n, args.kind)
        out = os.path.join(folder, '%s%d.krm' % (args.kind, n))
        start = time.monotonic()
        child = subprocess.Popen([args.batch, 'import', xml, '-o', out],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        # The child's own usage: RUSAGE_CHILDREN would keep the largest peak so far.
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.monotonic() - start
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            sys.exit('import of %d species failed (%d): %s' %
                     (n, child.returncode, child.stderr.read().decode()))
        print('%s %7d species %6.1f MB  wall %7.2f s  cpu %7.2f s  peak %5d MB' %
              (args.kind, n, os.path.getsize(xml) / 1e6, wall, usage.ru_utime + usage.ru_stime,
               usage.ru_maxrss // 1024), flush=True)
        if not args.keep:
            os.remove(xml)
            os.remove(out)


if __name__ == '__main__':
    main()
