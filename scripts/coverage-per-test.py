#!/usr/bin/env python3
"""Coverage of src/ and sim/ per test, to see which tests overlap.

  coverage-per-test.py run OUT.json [--exe REGEX] [--lanes N]
      Runs every test of build-coverage/ (made by scripts/coverage.sh) alone and records the
      product lines and branch outcomes it executes. Each running test writes its counters
      into a private folder (GCOV_PREFIX), so N tests run at once (default 2).
  coverage-per-test.py who RESULT.json TEST
      What the tests whose names contain TEST cover, what only they cover and which other
      tests run most of the same code.
  coverage-per-test.py without RESULT.json TEST...
      What no test would cover any more without the named tests (names or parts of names).
  coverage-per-test.py lost BASE.json NEW.json
      What BASE covers and no test covers once the results of NEW's executables replace
      theirs in BASE (measure a change of some test executables with run --exe).
  coverage-per-test.py candidates RESULT.json
      Tests whose every covered line and branch outcome another test covers too, largest
      first and chosen so that dropping all of them together loses nothing.

Coverage is executed code, not checked results: a listed test can go only when the tests
left assert what it asserts. The window fit check and the fuzz corpus replays only check
that nothing is cut or crashes, so their coverage does not count as overlap here.
"""
import argparse
import collections
import concurrent.futures
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, 'build-coverage')
WEAK = ('FitCheckTest.', 'fuzz_replay_')
TEST_MACRO = re.compile(r'^\s*TEST(?:_F|_P)?\(\s*(\w+)\s*,\s*(\w+)\s*\)')


def listed_tests(exe_pattern):
    shown = subprocess.run(['ctest', '--show-only=json-v1'], cwd=BUILD, check=True,
                           capture_output=True, text=True).stdout
    tests = [t for t in json.loads(shown)['tests'] if t.get('command')]
    if exe_pattern:
        tests = [t for t in tests if re.search(exe_pattern, os.path.basename(t['command'][0]))]
    return tests


def make_lane(folder, gcno_files):
    # gcov reads a .gcda beside its .gcno: the lane mirrors the build's .gcno files.
    for gcno in gcno_files:
        target = folder + gcno
        os.makedirs(os.path.dirname(target), exist_ok=True)
        os.symlink(gcno, target)
    return folder


def read_counters(lane):
    gcda = [os.path.join(d, f) for d, _, files in os.walk(lane) for f in files
            if f.endswith('.gcda')]
    lines, branches = set(), set()
    for start in range(0, len(gcda), 200):
        out = subprocess.run(['gcov', '-b', '--json-format', '--stdout'] + gcda[start:start + 200],
                             cwd=tempfile.gettempdir(), capture_output=True, text=True).stdout
        for document in out.splitlines():
            if not document.startswith('{'):
                continue
            data = json.loads(document)
            cwd = data.get('current_working_directory', '')
            for source in data['files']:
                path = os.path.relpath(os.path.normpath(os.path.join(cwd, source['file'])), ROOT)
                if not path.startswith(('src/', 'sim/')):
                    continue
                for line in source['lines']:
                    if line['count'] > 0:
                        lines.add(f"{path}:{line['line_number']}")
                    for index, branch in enumerate(line['branches']):
                        if branch['count'] > 0 and not branch.get('throw'):
                            branches.add(f"{path}:{line['line_number']}/{index}")
    for path in gcda:
        os.remove(path)
    return lines, branches


def run(args):
    tests = listed_tests(args.exe)
    gcno = [os.path.join(d, f) for d, _, files in os.walk(BUILD) for f in files
            if f.endswith('.gcno')]
    work = tempfile.mkdtemp(prefix='kelm-per-test-')
    free = [make_lane(f'{work}/lane{i}', gcno) for i in range(args.lanes)]
    guard = threading.Lock()

    def one(test):
        with guard:
            lane = free.pop()
        try:
            env = dict(os.environ, GCOV_PREFIX=lane, GCOV_PREFIX_STRIP='0')
            cwd = BUILD
            for prop in test.get('properties', []):
                if prop['name'] == 'ENVIRONMENT':
                    env.update(kv.split('=', 1) for kv in prop['value'])
                elif prop['name'] == 'WORKING_DIRECTORY':
                    cwd = prop['value']
            try:
                code = subprocess.run(test['command'], cwd=cwd, env=env, capture_output=True,
                                      timeout=900).returncode
            except subprocess.TimeoutExpired:
                code = -1
            lines, branches = read_counters(lane)
            print(f"{test['name']}: exit {code}, {len(lines)} lines", file=sys.stderr)
            return test['name'], {'exit': code, 'exe': os.path.basename(test['command'][0]),
                                  'lines': sorted(lines), 'branches': sorted(branches)}
        finally:
            with guard:
                free.append(lane)

    with concurrent.futures.ThreadPoolExecutor(args.lanes) as pool:
        results = dict(pool.map(one, tests))
    shutil.rmtree(work, ignore_errors=True)
    with open(args.out, 'w') as out:
        json.dump(results, out)
    failed = [name for name, r in results.items() if r['exit'] != 0]
    print(f'{len(results)} tests measured' + (f'; failed: {failed}' if failed else ''))


def load(path):
    with open(path) as f:
        data = json.load(f)
    return {name: (set(r['lines']), set(r['branches']), r) for name, r in data.items()}


def union(results, skip=lambda name: False):
    lines, branches = set(), set()
    for name, (l, b, _) in results.items():
        if not skip(name):
            lines |= l
            branches |= b
    return lines, branches


def show(title, lines, branches, limit=60):
    print(f'{title}: {len(lines)} lines, {len(branches)} branch outcomes')
    places = collections.defaultdict(set)
    for item in list(lines) + [b.rsplit('/', 1)[0] for b in branches]:
        path, line = item.rsplit(':', 1)
        places[path].add(int(line))
    for path, numbers in sorted(places.items())[:limit]:
        print(f'    {path}: {sorted(numbers)}')


def weak(name):
    return any(w in name for w in WEAK)


def who(args):
    results = load(args.result)
    mine = [n for n in results if args.test in n]
    own = union({n: results[n] for n in mine})
    others = union(results, lambda n: n in mine)
    strong = union(results, lambda n: n in mine or weak(n))
    print('tests:', *mine, sep='\n    ')
    show('covers', *own, limit=0)
    show('only these', own[0] - others[0], own[1] - others[1])
    show('besides these only the fit check or fuzz replays', (own[0] & others[0]) - strong[0],
         (own[1] & others[1]) - strong[1])
    shared = sorted(((len(l & own[0]) + len(b & own[1]), n) for n, (l, b, _) in results.items()
                     if n not in mine), reverse=True)
    print('others running most of the same code:')
    for count, name in shared[:12]:
        print(f'    {count:6d} {name}')


def without(args):
    results = load(args.result)
    dropped = lambda n: any(t in n for t in args.tests)
    print('without:', *[n for n in results if dropped(n)], sep='\n    ')
    before, after = union(results), union(results, dropped)
    show('lost', before[0] - after[0], before[1] - after[1])


def lost(args):
    base, new = load(args.base), load(args.new)
    replaced = {r['exe'] for _, _, r in new.values()}
    merged = {n: v for n, v in base.items() if v[2]['exe'] not in replaced}
    merged.update(new)
    before, after = union(base), union(merged)
    show('lost', before[0] - after[0], before[1] - after[1], limit=200)
    show('gained', after[0] - before[0], after[1] - before[1], limit=0)
    failed = [n for n, v in new.items() if v[2]['exit'] != 0]
    if failed:
        print('failed in NEW:', *failed)


def test_sizes():
    # Non-blank lines of each TEST body, by "Suite.Name".
    sizes = {}
    for folder, _, files in os.walk(os.path.join(ROOT, 'tests')):
        for file in (f for f in files if f.endswith('.cpp')):
            path = os.path.join(folder, file)
            with open(path, encoding='utf-8', errors='replace') as f:
                text = f.read().split('\n')
            i = 0
            while i < len(text):
                match = TEST_MACRO.match(text[i])
                if not match:
                    i += 1
                    continue
                depth, opened, count, j = 0, False, 0, i
                while j < len(text):
                    code = re.sub(r'"(\\.|[^"\\])*"', '""', text[j]).split('//')[0]
                    count += bool(text[j].strip())
                    depth += code.count('{') - code.count('}')
                    opened = opened or '{' in code
                    if opened and depth <= 0:
                        break
                    j += 1
                sizes[f'{match.group(1)}.{match.group(2)}'] = (os.path.relpath(path, ROOT), count)
                i = j + 1
    return sizes


def base_name(name):
    # "Kind/Suite.Name/param" and "Suite.Name/param" belong to "Suite.Name".
    parts = name.split()[0].split('/')
    return parts[1] if len(parts) > 1 and '.' in parts[1] else parts[0]


def candidates(args):
    results = load(args.result)
    sizes = test_sizes()
    units = collections.defaultdict(lambda: (set(), set()))
    for name, (l, b, _) in results.items():
        units[base_name(name)][0].update(l)
        units[base_name(name)][1].update(b)
    count = collections.Counter()
    for name, (l, b) in units.items():
        if not weak(name):
            count.update(l)
            count.update(b)
    chosen = []
    for name in sorted(units, key=lambda n: -sizes.get(n, ('', 0))[1]):
        items = units[name][0] | units[name][1]
        if weak(name) or name not in sizes or any(count[i] < 2 for i in items):
            continue
        count.subtract(items)
        chosen.append(name)
    for name in chosen:
        print(f'{sizes[name][1]:5d} {name} ({sizes[name][0]})')
    print(f'{len(chosen)} tests, {sum(sizes[n][1] for n in chosen)} lines')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    sub = parser.add_subparsers(dest='command', required=True)
    run_parser = sub.add_parser('run')
    run_parser.add_argument('out')
    run_parser.add_argument('--exe', help='regular expression on test executable names')
    run_parser.add_argument('--lanes', type=int, default=2)
    run_parser.set_defaults(func=run)
    # The questions on measured results: name, positional arguments, function.
    for name, arguments, func in (('who', ['result', 'test'], who),
                                  ('lost', ['base', 'new'], lost),
                                  ('candidates', ['result'], candidates)):
        question = sub.add_parser(name)
        for argument in arguments:
            question.add_argument(argument)
        question.set_defaults(func=func)
    without_parser = sub.add_parser('without')
    without_parser.add_argument('result')
    without_parser.add_argument('tests', nargs='+')
    without_parser.set_defaults(func=without)
    args = parser.parse_args()
    args.func(args)


if __name__ == '__main__':
    main()
