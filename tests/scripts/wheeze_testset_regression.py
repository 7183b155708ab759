#!/usr/bin/python3
"""The tonal detector on a small synthetic test set made by
scripts/wheeze_testset.py: it must keep finding the wheezes and leave the
other cycles alone (crackles, rubs, knocks, short tones, hum, band limits,
clipping).

Usage: wheeze_testset_regression.py VODE_CLI   (exit 77: no numpy, skipped)
"""

import os
import subprocess
import sys
import tempfile

try:
    import numpy  # noqa: F401  (the generator needs it)
except ImportError:
    sys.exit(77)

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
sys.path.insert(0, SCRIPTS)
import wheeze_evaluate as we  # noqa: E402


def main():
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.executable, os.path.join(SCRIPTS, "wheeze_testset.py"), folder, "--per-snr", "3",
                        "--seed", "11"], check=True, stdout=subprocess.DEVNULL)
        tally = we.Tally()
        for part in ("train", "test"):
            recordings = we.list_recordings(os.path.join(folder, part))
            sounds = {r.name: r.wav for r in recordings}
            for verdicts in we.verdicts_of(cli, recordings, sounds, we.detector_options("tonal")).values():
                tally.add_all(verdicts)
    print("tonal detector: " + tally.row())
    # 3.5 % of each kind of cycle may go wrong (both halves score 0.976 to 1.0).
    if tally.positives < 80 or tally.sensitivity() < 0.965 or tally.specificity() < 0.965:
        sys.exit("the tonal detector lost its grip on the synthetic set: " + tally.row())


if __name__ == "__main__":
    main()
