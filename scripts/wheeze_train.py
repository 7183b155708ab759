#!/usr/bin/python3
"""Learns the tonal wheeze detector's decision from annotated recordings.

The detector keeps a track (a narrow peak followed from frame to frame) as a
wheeze when its mean prominence reaches what a track of its length needs:
TonalTrackDb for a track of 4 frames, TonalLengthDb less for every doubling
of its length (src/analysis/TonalWheeze.h). This script finds those two
constants on a cache of real recordings (orig/NAME.wav + NAME.txt, as for
wheeze_evaluate.py):

  1. every recording is converted with `vode-cli convert --resample`, and
     `vode-cli wheeze --detector tonal --tracks --channel 1` lists every track
     the detector weighs, with its length, mean prominence and segments;
  2. the annotations only say which breath cycles wheeze, not which track is
     the wheeze, and a cycle counts as found when any of its tracks is taken.
     So a logistic regression on the two features (mean prominence and
     log2(frames / 4)) is fitted to whole cycles: a cycle's score is a smooth
     maximum of its tracks' scores (multiple-instance learning). Wheezing and
     other cycles weigh half each, since the figure judged is
     (sensitivity + specificity) / 2, and a small L2 penalty on the
     standardised weights keeps the fit tame;
  3. the threshold is the one that gives the best (Se + Sp) / 2 on the
     training cycles, and the line is rewritten as the two constants;
  4. on a channel whose chest piece passes little above 1 kHz (the `narrow`
     column, measured by the detector from the samples), a track is a wheeze
     when its margin under that rule reaches TonalNarrowMarginDb and at least
     two tracks within TonalPairReach seconds of it, itself included, reach
     TonalPairMarginDb. The three are chosen from a small grid for the best
     (Se + Sp) / 2 over all training cycles, the shared rule fixed;
  5. leave-one-patient-out: every patient is scored by rules trained without
     that patient; the figures are printed overall, per device and per
     patient. The cycle verdicts follow vode-cli's own counting (a track flags
     every segment from its first to its last; a cycle is found when a flagged
     segment lies inside it), which the script checks against `vode-cli
     wheeze --cycles` on every recording with the constants now in the build.

Only numpy; deterministic.

Usage: wheeze_train.py CACHE [--vode-cli PATH] [--work DIR] [--jobs N] [--l2 X]
"""

import argparse
import collections
import concurrent.futures
import math
import os
import sys
import tempfile

import numpy as np

import wheeze_evaluate as we

REFERENCE_FRAMES = 4
PLATEAU = 0.01


# The narrow chest piece's grid: reach in segments (0.6-1.4 s), the margin a
# track needs and the margin of the two tracks that make a pair (dB). Ties go
# to the middle one in this order.
REACHES = (6, 8, 10, 12, 14)
NARROW_MARGINS = (0.0, -1.0, -2.0, -3.0, -4.0)
PAIR_MARGINS = (0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0)


class Track:
    __slots__ = ("first", "last", "frames", "prominence", "margin", "wheeze", "narrow")

    def __init__(self, fields):
        # channel,first_segment,last_segment,start_s,end_s,frames,hz,prominence_db,margin_db,wheeze,narrow
        self.first, self.last = int(fields[1]), int(fields[2])
        self.frames = int(fields[5])
        self.prominence = float(fields[7])
        self.margin = float(fields[8])
        self.wheeze = fields[9] == "1"
        self.narrow = fields[10] == "1"

    def features(self):
        return (self.prominence, math.log2(self.frames / REFERENCE_FRAMES))


def tracks_of(cli, sound, tonal=""):
    out = we.run_cli([cli, "wheeze", sound, "--tracks", "--channel", "1"] + we.detector_options("tonal", tonal))
    return [Track(line.split(",")) for line in out.splitlines()[1:] if line]


# Tracks never pass a recording's end, and vode-cli refuses cycles that
# start past it, so the counting needs no segment count: any bound will do.
NO_END = 1 << 30


class Channel:
    """Every track of a recording's channel, as arrays for the pair rule."""

    def __init__(self, tracks):
        self.tracks = tracks
        self.narrow = bool(tracks) and tracks[0].narrow
        self.first = np.array([t.first for t in tracks], dtype=np.int64)
        self.last = np.array([t.last for t in tracks], dtype=np.int64)
        self.prominence = np.array([t.prominence for t in tracks], dtype=np.float64)
        self.length = np.array([t.features()[1] for t in tracks], dtype=np.float64)
        self._near = {}

    def near(self, reach):
        """near[i, j]: track j lies within reach segments of track i."""
        if reach not in self._near:
            self._near[reach] = ((self.first[None, :] <= self.last[:, None] + reach) &
                                 (self.last[None, :] >= self.first[:, None] - reach)).astype(np.int32)
        return self._near[reach]

    def wheezes(self, rule, narrow_rule):
        """The decision for every track: its margin reaches 0 under rule; on a
        narrow chest piece it reaches the narrow margin and two tracks within
        the reach (itself included) reach the pair margin."""
        track_db, length_db = rule
        margins = self.prominence - (track_db - length_db * self.length)
        if not self.narrow:
            return margins >= 0
        reach, narrow_db, pair_db = narrow_rule
        return (margins >= narrow_db) & (self.near(reach) @ (margins >= pair_db).astype(np.int32) >= 2)


class Cycle:
    """An annotated cycle, its channel and the tracks overlapping its segments
    (and their indices in the channel)."""
    __slots__ = ("recording", "wheezing", "channel", "members", "tracks")

    def __init__(self, recording, wheezing, channel, members):
        self.recording, self.wheezing, self.channel, self.members = recording, wheezing, channel, members
        self.tracks = [channel.tracks[i] for i in members]


def cycles_of(recording, tracks):
    channel = Channel(tracks)
    cycles = []
    for start, end, wheezing in we.read_cycles(recording.annotation):
        if wheezing is None:
            continue
        inside = we.segments_inside(start, end, NO_END)
        if len(inside) == 0:
            cycles.append(Cycle(recording, wheezing, channel, []))
            continue
        lo, hi = inside[0], inside[-1]
        cycles.append(Cycle(recording, wheezing, channel,
                            [i for i, t in enumerate(tracks) if t.first <= hi and t.last >= lo]))
    return cycles


def measure(cli, recordings, sounds, jobs=2, tonal=""):
    """Every annotated cycle of the recordings with its tracks."""
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        found = list(pool.map(lambda r: tracks_of(cli, sounds[r.name], tonal), recordings))
    cycles = []
    for r, tracks in zip(recordings, found):
        cycles += cycles_of(r, tracks)
    return cycles


def fit(cycles, l2=0.1, iterations=1500, temperature=1.0):
    """(track_db, length_db): the rule prominence >= track_db - length_db *
    log2(frames / 4) that the multiple-instance logistic regression and the
    best training threshold give."""
    bags = [c for c in cycles if c.tracks]
    x = np.array([t.features() for c in bags for t in c.tracks], dtype=np.float64)
    sizes = np.array([len(c.tracks) for c in bags])
    starts = np.concatenate([[0], np.cumsum(sizes)[:-1]])
    owner = np.repeat(np.arange(len(bags)), sizes)
    label = np.array([c.wheezing for c in bags], dtype=np.float64)
    positives = sum(c.wheezing for c in cycles)
    negatives = len(cycles) - positives
    weight = np.where(label > 0, 0.5 / positives, 0.5 / negatives)
    mean, scale = x.mean(axis=0), x.std(axis=0)
    z = (x - mean) / scale

    # Adam on the weights and the bias, from zero: the same steps every run.
    theta = np.zeros(3)
    m, v = np.zeros(3), np.zeros(3)
    for step in range(1, iterations + 1):
        s = z @ theta[:2] + theta[2]
        top = np.maximum.reduceat(s, starts)
        e = np.exp((s - top[owner]) / temperature)
        total = np.add.reduceat(e, starts)
        pooled = top + temperature * np.log(total)
        share = e / total[owner]
        g = (1.0 / (1.0 + np.exp(-pooled)) - label) * weight
        gs = g[owner] * share
        grad = np.concatenate([gs @ z + 2 * l2 * theta[:2], [gs.sum()]])
        m = 0.9 * m + 0.1 * grad
        v = 0.999 * v + 0.001 * grad * grad
        theta -= 0.05 * (m / (1 - 0.9 ** step)) / (np.sqrt(v / (1 - 0.999 ** step)) + 1e-9)

    # Back to the features' own units: score = a·prominence + c·log2(length) + b.
    a, c = theta[0] / scale[0], theta[1] / scale[1]
    if a <= 0:
        sys.exit("wheeze_train: the fit gives prominence no positive weight; nothing to learn from")
    # The threshold: the best (Se + Sp) / 2 over the training cycles, half-way
    # between two neighbouring cycle scores.
    scores = np.array([max(a * p + c * l for p, l in (t.features() for t in cyc.tracks)) if cyc.tracks else -np.inf
                       for cyc in cycles])
    wheezing = np.array([cyc.wheezing for cyc in cycles])
    levels = np.unique(scores[np.isfinite(scores)])
    cuts = np.concatenate([[levels[0] - 1.0], (levels[:-1] + levels[1:]) / 2, [levels[-1] + 1.0]])
    found = scores[None, :] >= cuts[:, None]
    mean_score = (found[:, wheezing].mean(axis=1) + (~found[:, ~wheezing]).mean(axis=1)) / 2
    # The figure is flat near its best and jumps with a cycle or two: the
    # median of the cuts within PLATEAU of the best is steadier than the best.
    near = cuts[mean_score >= mean_score.max() - PLATEAU]
    cut = near[(len(near) - 1) // 2]
    return cut / a, c / a


def verdicts(cycles, rule, narrow_rule=None):
    """(detected, wheezing) per cycle under the rules; rule None: the
    detector's own verdict as printed by --tracks."""
    if rule is None:
        return [(any(t.wheeze for t in c.tracks), c.wheezing) for c in cycles]
    decided = {}
    result = []
    for c in cycles:
        key = id(c.channel)
        if key not in decided:
            decided[key] = c.channel.wheezes(rule, narrow_rule)
        result.append((bool(decided[key][c.members].any()), c.wheezing))
    return result


def balanced(verdict_list):
    """(Se + Sp) / 2 of (detected, wheezing) pairs."""
    return we.Tally().add_all(verdict_list).mean()


def fit_narrow(cycles, rule):
    """(reach, narrow_db, pair_db) for narrow chest pieces: the grid point with
    the best (Se + Sp) / 2 over all the cycles under the shared rule (the
    middle one of ties)."""
    wide = verdicts([c for c in cycles if not c.channel.narrow], rule)
    narrow = [c for c in cycles if c.channel.narrow]
    grid = [(r, n, p) for r in REACHES for n in NARROW_MARGINS for p in PAIR_MARGINS]
    figures = [balanced(wide + verdicts(narrow, rule, point)) for point in grid]
    best = max(figures)
    ties = [point for point, f in zip(grid, figures) if f >= best - 1e-12]
    return ties[(len(ties) - 1) // 2]


def by_recording(cycles, verdict_list):
    result = {}
    for c, v in zip(cycles, verdict_list):
        result.setdefault(c.recording.name, []).append(v)
    return result


def leave_one_patient_out(recordings, cycles, l2):
    """name -> verdicts, each patient's from rules fitted without it; and
    the rules, (shared, narrow) per patient."""
    held = {}
    rules = {}
    for patient in we.patients(recordings):
        training = [c for c in cycles if c.recording.patient != patient]
        rule = fit(training, l2)
        narrow_rule = fit_narrow(training, rule)
        rules[patient] = (rule, narrow_rule)
        mine = [c for c in cycles if c.recording.patient == patient]
        held.update(by_recording(mine, verdicts(mine, rule, narrow_rule)))
    return held, rules


def cross_validated_verdicts(cli, recordings, sounds, jobs=2, l2=0.1):
    """For wheeze_evaluate.py: name -> the verdicts of a rule trained without
    the recording's patient."""
    cycles = measure(cli, recordings, sounds, jobs)
    held, _ = leave_one_patient_out(recordings, cycles, l2)
    return {r.name: held.get(r.name, []) for r in recordings}


def check_against_cli(cli, recordings, sounds, cycles, jobs):
    """The counting here must be vode-cli's: compare the detector's own
    verdicts with `wheeze --cycles` on every recording."""
    mine = by_recording(cycles, verdicts(cycles, None))
    theirs = we.verdicts_of(cli, recordings, sounds, we.detector_options("tonal"), jobs)
    wrong = [r.name for r in recordings if mine.get(r.name, []) != theirs[r.name]]
    if wrong:
        sys.exit("wheeze_train: the cycle counting differs from vode-cli's on %s" % ", ".join(wrong))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cache", help="orig/NAME.wav + NAME.txt")
    parser.add_argument("--vode-cli", default="build/vode-cli")
    parser.add_argument("--work", default="", help="where the converted recordings go (default: a new temporary "
                        "folder)")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--tonal-parameters", default="", help="the detector's other values while measuring "
                        "(peak, frames, step, burst)")
    parser.add_argument("--l2", type=float, default=0.1, help="penalty on the standardised weights")
    args = parser.parse_args()
    if not we.is_real_cache(args.cache):
        sys.exit("wheeze_train: %s has no orig/ folder of recordings (the cache layout is orig/NAME.wav + NAME.txt)"
                 % args.cache)
    if not os.access(args.vode_cli, os.X_OK):
        sys.exit("wheeze_train: no vode-cli at %s (--vode-cli PATH)" % args.vode_cli)
    recordings = we.list_recordings(args.cache)
    sounds = we.convert_all(args.vode_cli, recordings, args.work or tempfile.mkdtemp(prefix="wheeze-real-"),
                            args.jobs)
    cycles = measure(args.vode_cli, recordings, sounds, args.jobs, args.tonal_parameters)
    if not args.tonal_parameters:
        check_against_cli(args.vode_cli, recordings, sounds, cycles, args.jobs)

    rule = fit(cycles, args.l2)
    reach, narrow_db, pair_db = fit_narrow(cycles, rule)
    print("# fitted on %d recordings of %d patients, %d cycles (%d wheezing):"
          % (len(recordings), len(we.patients(recordings)), len(cycles), sum(c.wheezing for c in cycles)))
    print("constexpr float TonalTrackDb = %.2ff;" % rule[0])
    print("constexpr float TonalLengthDb = %.2ff;" % rule[1])
    print("constexpr float TonalNarrowMarginDb = %.1ff;" % narrow_db)
    print("constexpr float TonalPairMarginDb = %.1ff;" % pair_db)
    print("constexpr float TonalPairReach = %.1ff;" % (reach / 10.0))
    held, rules = leave_one_patient_out(recordings, cycles, args.l2)
    shared = np.array([r for r, _ in rules.values()])
    print("# leave-one-patient-out rules: TonalTrackDb %.2f to %.2f, TonalLengthDb %.2f to %.2f"
          % (shared[:, 0].min(), shared[:, 0].max(), shared[:, 1].min(), shared[:, 1].max()))
    chosen = collections.Counter(n for _, n in rules.values())
    print("# narrow chest piece (reach s, margin dB, pair dB) chosen without each patient: "
          + ", ".join("%.1f/%g/%g in %d" % (r / 10.0, n, p, k) for (r, n, p), k in chosen.most_common()))
    print()
    fitted = by_recording(cycles, verdicts(cycles, rule, (reach, narrow_db, pair_db)))
    built = by_recording(cycles, verdicts(cycles, None))
    print_rows = [("built", built), ("fitted", fitted), ("held_out", held)]
    we.print_groups("tonal detector: the constants in this build, the rule fitted on every patient (in-sample), "
                    "and each patient scored by a rule fitted without it", recordings, print_rows)


if __name__ == "__main__":
    main()
