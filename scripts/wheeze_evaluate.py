#!/usr/bin/python3
"""Scores vode-cli's wheeze detectors against annotated breath cycles.

For every NAME.wav with a NAME.txt beside it (start end crackles wheezes per
line) in FOLDER, runs `vode-cli wheeze NAME.wav --cycles NAME.txt --detector D`
and takes its per-cycle verdicts (detected, annotated). Prints
sensitivity, specificity and their mean per SNR (the "snr+05" prefix of the
file names made by wheeze_testset.py) and over all files.

Usage: wheeze_evaluate.py FOLDER [--vode-cli PATH] [--detector D]
                          [--tonal-parameters L] [--jobs N]
"""

import argparse
import collections
import concurrent.futures
import glob
import os
import re
import subprocess


def cycle_verdicts(cli, wav, detector, tonal):
    """(detected, annotated) of every cycle, as vode-cli's --cycles scores them."""
    command = [cli, "wheeze", wav, "--cycles", wav[:-4] + ".txt", "--detector", detector]
    if tonal:
        command += ["--tonal-parameters", tonal]
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    verdicts = []
    for line in out.splitlines()[1:]:
        if line.startswith("#"):
            continue
        fields = line.split(",")
        verdicts.append((fields[3] == "1", fields[4] == "1"))
    return verdicts


def score(folder, cli, detector, tonal, jobs):
    wavs = sorted(glob.glob(os.path.join(folder, "*.wav")))
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        found = list(pool.map(lambda w: cycle_verdicts(cli, w, detector, tonal), wavs))
    counts = collections.defaultdict(lambda: [0, 0, 0, 0])  # tp, positives, tn, negatives
    for wav, verdicts in zip(wavs, found):
        match = re.match(r"snr([+-]\d+)", os.path.basename(wav))
        snr = int(match.group(1)) if match else 0
        for hit, wheezing in verdicts:
            for key in (snr, "all"):
                c = counts[key]
                if wheezing:
                    c[0] += hit
                    c[1] += 1
                else:
                    c[2] += not hit
                    c[3] += 1
    return counts


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("--vode-cli", default="build/vode-cli")
    parser.add_argument("--detector", default="standard")
    parser.add_argument("--tonal-parameters", default="")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    counts = score(args.folder, args.vode_cli, args.detector, args.tonal_parameters, args.jobs)
    print("snr_db,wheezing_cycles,sensitivity,other_cycles,specificity,mean")
    for key in sorted(k for k in counts if k != "all") + ["all"]:
        tp, pos, tn, neg = counts[key]
        sens = tp / pos if pos else float("nan")
        specificity = tn / neg if neg else float("nan")
        print("%s,%d,%.3f,%d,%.3f,%.3f" % (key, pos, sens, neg, specificity, (sens + specificity) / 2))


if __name__ == "__main__":
    main()
