#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Plants each fault of faults.py alone in a configured build tree, rebuilds, runs ctest (but the
package check) and reports whether the tests caught it and which; the tree is restored after each.

    python3 tools/faults/run.py BUILD_DIR [NAME...]
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from faults import FAULTS  # noqa: E402

root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
build, only = sys.argv[1], sys.argv[2:]
results = []
for name, path, old, new in FAULTS:
    if only and name not in only:
        continue
    path = os.path.join(root, path)
    source = open(path).read()
    if source.count(old) != 1:
        print(name, 'does not apply: move the row with the code', flush=True)
        continue
    open(path, 'w').write(source.replace(old, new))
    try:
        if subprocess.run(['cmake', '--build', build, '-j2'], capture_output=True).returncode != 0:
            verdict = 'caught (build)'
        else:
            tests = subprocess.run(['ctest', '--test-dir', build, '-j2', '-E', 'package'], capture_output=True,
                                   text=True)
            # The tests that failed, so that a catch by a flaky test shows as such.
            failed = re.findall(r'^\s*\d+ - (\S+) \(', tests.stdout.split('tests FAILED:')[-1], re.M)
            verdict = f"caught ({', '.join(failed)})" if tests.returncode != 0 else 'MISSED'
    finally:
        open(path, 'w').write(source)
    results.append(verdict)
    print(name, verdict, flush=True)
subprocess.run(['cmake', '--build', build, '-j2'], capture_output=True)
print(f"{sum(v.startswith('caught') for v in results)} of {len(results)} caught")
