#!/usr/bin/python3
"""Scores vode-cli's breath-cycle estimate and crackle detector on annotated recordings.

FOLDER holds orig/NAME.wav and NAME.txt (one annotated cycle per line: start
end crackles wheezes); the patient is the first field of NAME, the device its
last (Meditron split by sampling rate). Every recording is first converted
with `vode-cli convert --resample` into --work (default: a temporary folder).

Cycles: `vode-cli cycles NAME.mer --score NAME.txt` for each value of the
tuned parameters (rise, lag); boundary precision, recall and F1 summed over
recordings. Crackles: `vode-cli crackles ... --cycles ...` over all
recordings for each value of (peak, pair); the cycle-level sensitivity,
specificity and their mean.

Both are reported three ways: with the program's own defaults (the whole
set, in-sample), and patient-wise cross-validated: patients are dealt into
--folds groups, the grid point that scores best on the other groups' patients
is chosen and scored on the held-out group, and the held-out results are
summed. Per device and per patient figures are the cross-validated ones.
Patients are dealt in the order of their ids; with --deals D > 1 the
cross-validation is repeated over D - 1 further deals in seeded random orders
and the mean, spread and lowest of the D held-out figures are printed too (one
deal of 38 patients into five groups is a coarse estimate).

Usage: crackle_cycles_evaluate.py FOLDER [--vode-cli PATH] [--work DIR]
                                  [--folds K] [--deals D] [--jobs N] [--task cycles|crackles|both]
"""

import argparse
import collections
import concurrent.futures
import glob
import itertools
import os
import random
import subprocess
import sys
import tempfile
import wave

CYCLE_GRID = {"rise": [0.15, 0.2, 0.25], "lag": [0, 0.075], "narrow-lag": [-0.3, -0.2, -0.1, 0],
              "relative": [0.6, 0.7]}
CYCLE_DEFAULT = {"rise": 0.2, "lag": 0.075, "narrow-lag": -0.3, "relative": 0.7}
CRACKLE_GRID = {"peak": [17, 18, 19, 20, 21], "narrow-peak": [14, 15, 16, 17, 18], "pair": [0.5, 0.75]}
CRACKLE_DEFAULT = {"peak": 20, "narrow-peak": 15, "pair": 0.5}


def recordings(folder):
    wavs = sorted(glob.glob(os.path.join(folder, "orig", "*.wav")))
    found = []
    for wav in wavs:
        name = os.path.basename(wav)[:-4]
        annotation = os.path.join(folder, name + ".txt")
        if os.path.exists(annotation):
            found.append((name, wav, annotation))
    return found


def device_of(name, wav):
    device = name.split("_")[-1]
    if device == "Meditron":
        with wave.open(wav) as w:
            device += "-4k" if w.getframerate() < 10000 else "-44k"
    return device


def convert(cli, wav, mer):
    if not os.path.exists(mer):
        subprocess.run([cli, "convert", "--resample", wav, mer], capture_output=True, check=True)


def parameter_text(point):
    return ",".join("%s=%g" % item for item in sorted(point.items()))


def grid_points(grid):
    keys = sorted(grid)
    return [dict(zip(keys, values)) for values in itertools.product(*(grid[k] for k in keys))]


# ---- cycles -------------------------------------------------------------------

def cycle_counts(cli, mer, annotation, point):
    """(matched, estimated, annotated) boundaries of one recording."""
    out = subprocess.run([cli, "cycles", mer, "--score", annotation, "--parameters", parameter_text(point)],
                         capture_output=True, text=True, check=True).stdout
    last = out.strip().splitlines()[-1]  # "# precision P (m/e), recall R (m/a), F1 F"
    fields = last.replace("(", " ").replace(")", " ").replace(",", " ").split()
    m, e = fields[3].split("/")
    _, a = fields[6].split("/")
    return int(m), int(e), int(a)


def f1(c):
    return 2.0 * c[0] / (c[1] + c[2]) if c[1] + c[2] else float("nan")


def add(a, b):
    return tuple(x + y for x, y in zip(a, b))


# ---- crackles -----------------------------------------------------------------

def crackle_verdicts(cli, recs, point, jobs):
    """{name: [(detected, annotated), ...]} of every annotated cycle."""
    command = [cli, "crackles", "--jobs", str(jobs), "--parameters", parameter_text(point)]
    for name, mer, annotation in recs:
        command += [mer, "--cycles", annotation]
    out = subprocess.run(command, capture_output=True, text=True, check=True).stdout
    by_path = {mer: name for name, mer, _ in recs}
    verdicts = collections.defaultdict(list)
    for line in out.splitlines()[1:]:
        if line.startswith("#"):
            continue
        fields = line.split(",")
        if fields[-1] in ("0", "1"):
            verdicts[by_path[fields[0]]].append((fields[-2] == "1", fields[-1] == "1"))
    return verdicts


def balanced(counts):
    tp, pos, tn, neg = counts
    se = tp / pos if pos else float("nan")
    sp = tn / neg if neg else float("nan")
    return se, sp, (se + sp) / 2


def crackle_counts(verdicts):
    tp = sum(d and a for d, a in verdicts)
    pos = sum(a for _, a in verdicts)
    tn = sum(not d and not a for d, a in verdicts)
    return (tp, pos, tn, len(verdicts) - pos)


# ---- cross-validation ---------------------------------------------------------

def folds_of(patients, k, deal=0):
    """Deal 0 in the order of the ids, every other deal in an order shuffled by its number."""
    order = sorted(patients)
    if deal:
        random.Random(deal).shuffle(order)
    return {p: i % k for i, p in enumerate(order)}


def cross_validate(names, patient, per_point, total, score, folds, deal=0):
    """Held-out results per recording, and the point chosen for each fold."""
    assignment = folds_of({patient[n] for n in names}, folds, deal)
    held_out, chosen = {}, []
    for f in range(folds):
        train = [n for n in names if assignment[patient[n]] != f]
        test = [n for n in names if assignment[patient[n]] == f]
        if not test:
            continue
        best = max(range(len(per_point)), key=lambda i: (score(total(per_point[i], train)), -i))
        chosen.append(best)
        for n in test:
            held_out[n] = per_point[best][n]
    return held_out, chosen


def repeated(names, patient, per_point, total, score, folds, deals):
    """The held-out score of every deal, the first one in the order of the ids."""
    scores = []
    for deal in range(deals):
        held, _ = cross_validate(names, patient, per_point, total, score, folds, deal)
        scores.append(score(total(held, held)))
    return scores


def print_repeated(scores, label):
    if len(scores) > 1:
        mean = sum(scores) / len(scores)
        spread = (sum((s - mean) ** 2 for s in scores) / len(scores)) ** 0.5
        print("  over %d deals of the patients: %s mean %.3f, standard deviation %.3f, lowest %.3f"
              % (len(scores), label, mean, spread, min(scores)))


def report(title, groups, fmt):
    print(title)
    for key in sorted(groups):
        print("  %-22s %s" % (key, fmt(groups[key])))


def worst(title, groups, score, count=5):
    """The groups with the lowest defined score, lowest first."""
    scored = sorted((score(v), k) for k, v in groups.items() if score(v) == score(v))
    print(title + " " + ", ".join("%s %.3f" % (k, v) for v, k in scored[:count]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("--vode-cli", default="build/vode-cli")
    parser.add_argument("--work", default="")
    parser.add_argument("--folds", type=int, default=5)
    parser.add_argument("--deals", type=int, default=1)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--task", default="both", choices=["cycles", "crackles", "both"])
    args = parser.parse_args()

    found = recordings(args.folder)
    if not found:
        sys.exit("%s: no orig/NAME.wav with NAME.txt beside it (the annotated recordings are missing)" % args.folder)
    work = args.work or tempfile.mkdtemp(prefix="vode-eval-")
    os.makedirs(work, exist_ok=True)
    recs = [(name, os.path.join(work, name + ".mer"), annotation) for name, _, annotation in found]
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        list(pool.map(lambda r: convert(args.vode_cli, r[1], os.path.join(work, r[0] + ".mer")), found))
    names = [r[0] for r in recs]
    patient = {n: n.split("_")[0] for n in names}
    device = {name: device_of(name, wav) for name, wav, _ in found}
    print("%d recordings, %d patients" % (len(names), len(set(patient.values()))))

    if args.task in ("cycles", "both"):
        points = grid_points(CYCLE_GRID)
        per_point = []
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            for point in points:
                counts = pool.map(lambda r: cycle_counts(args.vode_cli, r[1], r[2], point), recs)
                per_point.append(dict(zip(names, counts)))

        def total(per_name, subset):
            t = (0, 0, 0)
            for n in subset:
                t = add(t, per_name[n])
            return t

        default = per_point[points.index(CYCLE_DEFAULT)]
        c = total(default, names)
        print("\nCYCLES, defaults %s (in-sample): precision %.3f recall %.3f F1 %.3f"
              % (parameter_text(CYCLE_DEFAULT), c[0] / c[1], c[0] / c[2], f1(c)))
        held, chosen = cross_validate(names, patient, per_point, total, f1, args.folds)
        c = total(held, held)
        print("CYCLES, patient-wise %d-fold cross-validation: precision %.3f recall %.3f F1 %.3f"
              % (args.folds, c[0] / c[1], c[0] / c[2], f1(c)))
        print("  chosen per fold: " + "; ".join(parameter_text(points[i]) for i in chosen))
        print_repeated(repeated(names, patient, per_point, total, f1, args.folds, args.deals), "F1")
        fmt = lambda t: "F1 %.3f  (matched %d, estimated %d, annotated %d)" % (f1(t), t[0], t[1], t[2])
        by = collections.defaultdict(lambda: (0, 0, 0))
        for n in held:
            by[device[n]] = add(by[device[n]], held[n])
        report("  per device:", by, fmt)
        by = collections.defaultdict(lambda: (0, 0, 0))
        for n in held:
            by[patient[n]] = add(by[patient[n]], held[n])
        report("  per patient:", by, fmt)
        worst("  worst patients (F1):", by, f1)

    if args.task in ("crackles", "both"):
        points = grid_points(CRACKLE_GRID)
        per_point = [crackle_verdicts(args.vode_cli, recs, point, args.jobs) for point in points]

        def total(per_name, subset):
            verdicts = []
            for n in subset:
                verdicts += per_name[n]
            return crackle_counts(verdicts)

        score = lambda counts: balanced(counts)[2]
        default = per_point[points.index(CRACKLE_DEFAULT)]
        se, sp, mean = balanced(total(default, names))
        print("\nCRACKLES, defaults %s (in-sample): sensitivity %.3f specificity %.3f mean %.3f"
              % (parameter_text(CRACKLE_DEFAULT), se, sp, mean))
        held, chosen = cross_validate(names, patient, per_point, total, score, args.folds)
        se, sp, mean = balanced(total(held, held))
        print("CRACKLES, patient-wise %d-fold cross-validation: sensitivity %.3f specificity %.3f mean %.3f"
              % (args.folds, se, sp, mean))
        print("  chosen per fold: " + "; ".join(parameter_text(points[i]) for i in chosen))
        print_repeated(repeated(names, patient, per_point, total, score, args.folds, args.deals), "(Se + Sp)/2")

        def fmt(counts):
            se, sp, mean = balanced(counts)
            return "sensitivity %.3f (%d/%d)  specificity %.3f (%d/%d)  mean %.3f" % (
                se, counts[0], counts[1], sp, counts[2], counts[3], mean)

        for label, key in (("  per device:", device), ("  per patient:", patient)):
            by = collections.defaultdict(list)
            for n in held:
                by[key[n]] += held[n]
            report(label, {k: crackle_counts(v) for k, v in by.items()}, fmt)
        # A patient without crackling (or without clear) cycles has one ratio
        # only; the share of cycles called right ranks every patient alike.
        accuracy = lambda c: (c[0] + c[2]) / (c[1] + c[3])
        worst("  worst patients (cycles called right):", {k: crackle_counts(v) for k, v in by.items()}, accuracy)


if __name__ == "__main__":
    main()
