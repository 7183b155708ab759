#!/usr/bin/python3
"""Scores vode-cli's wheeze detectors against annotated breath cycles.

FOLDER is either
  - a set of NAME.wav + NAME.txt at 10240 Hz (the synthetic set that
    wheeze_testset.py writes): one detector, figures per SNR (the "snr+05"
    prefix of the names) and over all files; or
  - a cache of real recordings, FOLDER/orig/NAME.wav with FOLDER/NAME.txt,
    NAME = PATIENT_..._DEVICE: each recording is converted with
    `vode-cli convert --resample` into --work, then both detectors run on it
    and the figures are printed overall, per device and per patient.

A NAME.txt holds one breath cycle per line: start and end in seconds, then
0/1 for crackles and 0/1 for wheezes. Every figure comes from the per-cycle
verdicts of `vode-cli wheeze FILE --cycles NAME.txt --channel 1 --detector D`:
a cycle is detected when one of its segments carries the Wheeze flag.

With --cross-validate (real cache only), the tonal detector's learned
decision is also retrained without each patient in turn and scored on that
patient alone (wheeze_train.py), so the figures are those of patients the
decision has not seen.

The helpers (list_recordings, patient_folds, convert_all, cycle_verdicts,
Tally, ...) are meant to be imported by other evaluation scripts.

Usage: wheeze_evaluate.py FOLDER [--vode-cli PATH] [--detector D]
                          [--tonal-parameters L] [--work DIR] [--jobs N]
                          [--cross-validate]
"""

import argparse
import collections
import concurrent.futures
import glob
import math
import os
import re
import subprocess
import sys
import tempfile

# Column label -> the --detector value that runs it.
DETECTORS = (("standard", "standard"), ("tonal", "tonal"))

Recording = collections.namedtuple("Recording", "name wav annotation patient device")


def patient_of(name):
    """The patient id: the first field of a real recording's name."""
    return name.split("_")[0]


def device_of(name):
    """The device: the last field of a real recording's name."""
    return name.split("_")[-1]


def sample_rate(wav):
    """The rate in a WAV file's fmt chunk (any sample format), or 0."""
    with open(wav, "rb") as f:
        head = f.read(12)
        if head[:4] != b"RIFF" or head[8:12] != b"WAVE":
            return 0
        while True:
            chunk = f.read(8)
            if len(chunk) < 8:
                return 0
            size = int.from_bytes(chunk[4:8], "little")
            if chunk[:4] == b"fmt ":
                return int.from_bytes(f.read(8)[4:8], "little")
            f.seek(size + (size & 1), 1)


def is_real_cache(folder):
    return os.path.isdir(os.path.join(folder, "orig"))


def list_recordings(folder):
    """Every recording of FOLDER with its annotation, in name order: the
    real-cache layout (orig/NAME.wav, NAME.txt) or wav and txt side by side.
    Exits with a message naming what is missing."""
    if not os.path.isdir(folder):
        sys.exit("wheeze_evaluate: %s is not a folder" % folder)
    real = is_real_cache(folder)
    sounds = sorted(glob.glob(os.path.join(folder, "orig" if real else "", "*.wav")))
    recordings, missing = [], []
    for wav in sounds:
        name = os.path.basename(wav)[:-4]
        annotation = os.path.join(folder, name + ".txt")
        if not os.path.isfile(annotation):
            missing.append(annotation)
            continue
        recordings.append(Recording(name, wav, annotation, patient_of(name) if real else name,
                                    device_of(name) if real else "synthetic"))
    if missing:
        sys.exit("wheeze_evaluate: no annotation for %d recordings, e.g. %s" % (len(missing), missing[0]))
    if not recordings:
        sys.exit("wheeze_evaluate: %s holds no recordings (NAME.wav + NAME.txt, or orig/NAME.wav + NAME.txt)"
                 % folder)
    return recordings


def read_cycles(path):
    """(start, end, wheezes) of every annotated cycle; wheezes is None when
    the line has no wheeze column."""
    cycles = []
    with open(path) as f:
        for line in f:
            fields = line.split()
            if len(fields) >= 2:
                cycles.append((float(fields[0]), float(fields[1]),
                               fields[3] == "1" if len(fields) >= 4 else None))
    return cycles


def segments_inside(start, end, segment_count):
    """The 100 ms segments vode-cli counts inside a cycle: those it overlaps
    by at least 50 ms (BreathCycles.cpp), as a range."""
    lowest = max(0, math.floor(start * 10.0))
    highest = min(segment_count - 1, math.ceil(end * 10.0) - 1)

    def overlaps(s):
        return min(end, (s + 1) / 10.0) - max(start, s / 10.0) >= 0.05 - 1e-9

    if lowest > highest:
        return range(0)
    first, last = int(lowest), int(highest)
    if not overlaps(first):
        first += 1
    if last >= first and not overlaps(last):
        last -= 1
    return range(first, last + 1)


def patients(recordings):
    return sorted({r.patient for r in recordings})


def patient_folds(recordings, folds=0):
    """(training, held-out) recording lists with every patient's recordings
    on one side: one fold per patient when folds is 0, else the patients
    dealt in id order into that many folds."""
    ids = patients(recordings)
    count = len(ids) if folds <= 0 else min(folds, len(ids))
    fold_of = {p: i % count for i, p in enumerate(ids)}
    return [([r for r in recordings if fold_of[r.patient] != k], [r for r in recordings if fold_of[r.patient] == k])
            for k in range(count)]


def run_cli(command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("wheeze_evaluate: %s failed:\n%s" % (" ".join(command), done.stderr))
    return done.stdout


def convert_all(cli, recordings, work, jobs=2):
    """name -> the recording converted to WORK/NAME.mer at 10240 Hz (only
    when missing or older than its source)."""
    os.makedirs(work, exist_ok=True)

    def convert(r):
        mer = os.path.join(work, r.name + ".mer")
        if not os.path.exists(mer) or os.path.getmtime(mer) < os.path.getmtime(r.wav):
            run_cli([cli, "convert", "--resample", r.wav, mer])
        return r.name, mer

    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        return dict(pool.map(convert, recordings))


def detector_options(detector, tonal=""):
    options = ["--detector", detector]
    if tonal and detector == "tonal":
        options += ["--tonal-parameters", tonal]
    return options


def cycle_verdicts(cli, sound, annotation, options, channel=1):
    """(detected, annotated) of every cycle with a wheeze column, as
    `vode-cli wheeze --cycles` scores them."""
    out = run_cli([cli, "wheeze", sound, "--cycles", annotation, "--channel", str(channel)] + options)
    verdicts = []
    for line in out.splitlines()[1:]:
        if line.startswith("#"):
            continue
        fields = line.split(",")
        if fields[4] in ("0", "1"):
            verdicts.append((fields[3] == "1", fields[4] == "1"))
    return verdicts


def verdicts_of(cli, recordings, sounds, options, jobs=2):
    """name -> verdicts for every recording, `jobs` processes at a time."""
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        found = pool.map(lambda r: cycle_verdicts(cli, sounds[r.name], r.annotation, options), recordings)
        return {r.name: v for r, v in zip(recordings, found)}


class Tally:
    """Cycle counts: wheezing cycles found, wheezing cycles, quiet cycles left
    alone, quiet cycles."""

    def __init__(self):
        self.hits = self.positives = self.rejections = self.negatives = 0

    def add(self, detected, wheezing):
        if wheezing:
            self.hits += detected
            self.positives += 1
        else:
            self.rejections += not detected
            self.negatives += 1

    def add_all(self, verdicts):
        for detected, wheezing in verdicts:
            self.add(detected, wheezing)
        return self

    def sensitivity(self):
        return self.hits / self.positives if self.positives else float("nan")

    def specificity(self):
        return self.rejections / self.negatives if self.negatives else float("nan")

    def mean(self):
        """(Se + Sp) / 2; with one kind of cycle only, the figure of that kind."""
        parts = [x for x in (self.sensitivity(), self.specificity()) if not math.isnan(x)]
        return sum(parts) / len(parts) if parts else float("nan")

    def row(self):
        return "%d/%d,%.3f,%d/%d,%.3f,%.3f" % (self.hits, self.positives, self.sensitivity(), self.rejections,
                                             self.negatives, self.specificity(), self.mean())


def tallies(recordings, verdicts, key):
    """key(recording) -> Tally over the recordings with that key, plus "all"."""
    result = collections.defaultdict(Tally)
    for r in recordings:
        for k in {key(r), "all"}:
            result[k].add_all(verdicts[r.name])
    return result


def print_groups(title, recordings, columns):
    """One CSV block: a line per group (overall, each device, each patient)
    with each named column's figures. columns: [(label, verdicts)]."""
    groups = [("all", lambda r: "all")]
    if len({r.device for r in recordings}) > 1 or recordings[0].device != "synthetic":
        rates = {r.name: sample_rate(r.wav) for r in recordings}
        groups += [("device", lambda r: r.device),
                   ("device_rate", lambda r: "%s_%gkHz" % (r.device, rates[r.name] / 1000.0)),
                   ("patient", lambda r: r.patient)]
    print("# " + title)
    print("group,key,recordings," + ",".join("%s_found,%s_se,%s_rejected,%s_sp,%s_mean" % ((label,) * 5)
                                             for label, _ in columns))
    for group, key in groups:
        per = [tallies(recordings, verdicts, key) for _, verdicts in columns]
        count = collections.Counter(key(r) for r in recordings)
        for k in sorted(per[0], key=lambda k: (k != "all", k)):
            if group != "all" and k == "all":
                continue
            print("%s,%s,%d,%s" % (group, k, count[k] if k != "all" else len(recordings),
                                   ",".join(t[k].row() for t in per)))


def score_synthetic(args, recordings):
    """The synthetic set: one detector, figures per SNR."""
    sounds = {r.name: r.wav for r in recordings}
    verdicts = verdicts_of(args.vode_cli, recordings, sounds, detector_options(args.detector, args.tonal_parameters),
                           args.jobs)
    by_snr = collections.defaultdict(Tally)
    for r in recordings:
        match = re.match(r"snr([+-]\d+)", r.name)
        for key in (int(match.group(1)) if match else 0, "all"):
            by_snr[key].add_all(verdicts[r.name])
    print("snr_db,wheezing_cycles,sensitivity,other_cycles,specificity,mean")
    for key in sorted(k for k in by_snr if k != "all") + ["all"]:
        t = by_snr[key]
        print("%s,%d,%.3f,%d,%.3f,%.3f" % (key, t.positives, t.sensitivity(), t.negatives, t.specificity(), t.mean()))


def score_real(args, recordings):
    """The real cache: both detectors, overall, per device, per patient."""
    work = args.work or tempfile.mkdtemp(prefix="wheeze-real-")
    sounds = convert_all(args.vode_cli, recordings, work, args.jobs)
    columns = [(label, verdicts_of(args.vode_cli, recordings, sounds, detector_options(d, args.tonal_parameters),
                                   args.jobs)) for label, d in DETECTORS]
    print_groups("%d recordings, %d patients; cycle figures of each detector (found/wheezing, Se, "
                 "rejected/other, Sp, (Se+Sp)/2)" % (len(recordings), len(patients(recordings))),
                 recordings, columns)
    if args.cross_validate:
        import wheeze_train
        held_out = wheeze_train.cross_validated_verdicts(args.vode_cli, recordings, sounds, args.jobs)
        print()
        print_groups("tonal detector under leave-one-patient-out cross-validation: each patient scored "
                     "by a decision trained without that patient", recordings,
                     [columns[0], ("tonal_cv", held_out)])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("--vode-cli", default="build/vode-cli")
    parser.add_argument("--detector", default=DETECTORS[0][1], help="synthetic set only: the detector to score")
    parser.add_argument("--tonal-parameters", default="")
    parser.add_argument("--work", default="", help="real cache: where the converted recordings go "
                        "(default: a new temporary folder)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--cross-validate", action="store_true")
    args = parser.parse_args()
    if not os.access(args.vode_cli, os.X_OK):
        sys.exit("wheeze_evaluate: no vode-cli at %s (--vode-cli PATH)" % args.vode_cli)
    recordings = list_recordings(args.folder)
    if is_real_cache(args.folder):
        score_real(args, recordings)
    else:
        score_synthetic(args, recordings)


if __name__ == "__main__":
    main()
