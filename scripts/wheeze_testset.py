#!/usr/bin/python3
"""Labelled synthetic lung-sound recordings for judging wheeze detectors.

Writes OUT/PART/NAME.wav (16-bit mono at 10240 Hz, which vode-cli opens
as it is) and OUT/PART/NAME.txt (one breath cycle per line: start and end in
seconds, then 0/1 for crackles and 0/1 for wheezes, the plain form public
respiratory-sound collections use), for PART "train" and "test", at each
signal-to-noise ratio. Everything comes from numpy's seeded generator, so a
seed gives the same files on every machine.

What a recording holds:
  - breath noise whose loudness follows the breath (inspiration louder than
    expiration, quiet pauses), its spectrum flat to about 1/f below 300 Hz
    and falling 10-25 dB an octave above, a different shape per recording;
  - heart sounds (S1 and S2 as short low-frequency thumps, 55-100 beats a
    minute) in most recordings;
  - crackles (short damped transients, alone or in trains) in some cycles;
  - in the cycles labelled wheezing, one or two wheezes of 100-1000 Hz,
    100-2000 ms, gliding, with harmonics, at the recording's SNR (the tone's
    power against the breath noise over the tone's own interval);
  - distractors in any cycle: tones shorter than 80 ms, rubs and handling
    knocks (broadband bursts, some clipped);
  - per recording: a band limit of 2 kHz or 5 kHz or none, mains hum at 50
    or 60 Hz with harmonics in a third of them, a gain from a quiet
    stethoscope to a loud microphone that clips.

Usage: wheeze_testset.py OUT [--per-snr N] [--seed S] [--seconds T]
"""

import argparse
import os
import wave

import numpy as np

RATE = 10240
SNRS = [-5, 0, 5, 10, 15, 20]


def shaped_noise(rng, n, knee, slope_db):
    """Unit-rms noise, about 1/f below the knee and falling slope_db an
    octave above it, no energy under 20 Hz."""
    spectrum = rng.standard_normal(n // 2 + 1) + 1j * rng.standard_normal(n // 2 + 1)
    f = np.fft.rfftfreq(n, 1.0 / RATE)
    f[0] = 1.0
    power = np.where(f < knee, (knee / f) ** 0.7, (f / knee) ** (-slope_db / 3.01))
    power *= 1.0 / (1.0 + (20.0 / f) ** 4)
    x = np.fft.irfft(spectrum * np.sqrt(power), n)
    return x / np.sqrt(np.mean(x ** 2))


def band_limit(x, edge):
    if edge is None:
        return x
    spectrum = np.fft.rfft(x)
    f = np.fft.rfftfreq(len(x), 1.0 / RATE)
    # A resampler's anti-alias filter: flat to 90 % of the edge, gone at it.
    gain = np.clip((edge - f) / (0.1 * edge), 0.0, 1.0)
    return np.fft.irfft(spectrum * gain, len(x))


def ramp(n, edge):
    e = np.ones(n)
    k = min(edge, n // 2)
    if k > 0:
        w = 0.5 - 0.5 * np.cos(np.pi * np.arange(k) / k)
        e[:k] = w
        e[n - k:] = w[::-1]
    return e


def plan_cycles(rng, seconds):
    cycles = []
    t = rng.uniform(0.0, 0.5)
    while True:
        period = rng.uniform(2.5, 5.0)
        if t + period > seconds - 0.2:
            break
        insp = period * rng.uniform(0.35, 0.45)
        pause = period * rng.uniform(0.05, 0.15)
        cycles.append({"start": t, "end": t + period, "insp": insp, "exp": period - insp - pause})
        t += period
    return cycles


def breath_envelope(cycles, n, insp_level, exp_level, floor):
    env = np.full(n, floor)
    for c in cycles:
        for start, length, level in ((c["start"], c["insp"], insp_level),
                                     (c["start"] + c["insp"], c["exp"], exp_level)):
            i0 = int(start * RATE)
            m = int(length * RATE)
            u = np.arange(m) / m
            env[i0:i0 + m] = np.maximum(env[i0:i0 + m], floor + level * np.sin(np.pi * u) ** 0.7)
    return env


def heart_sounds(rng, n, level):
    out = np.zeros(n)
    period = 60.0 / rng.uniform(55, 100)
    t = rng.uniform(0, period)
    while t < n / RATE - 0.3:
        for offset, gain in ((0.0, 1.0), (0.3 * period, 0.7)):
            length = int(rng.uniform(0.08, 0.12) * RATE)
            u = np.arange(length) / RATE
            hz = rng.uniform(30, 70)
            burst = np.sin(2 * np.pi * hz * u + rng.uniform(0, 6.3)) * np.hanning(length)
            i0 = int((t + offset) * RATE)
            if i0 + length < n:
                out[i0:i0 + length] += gain * level * burst
        t += period * rng.uniform(0.95, 1.05)
    return out


def crackle(rng, level):
    length = int(rng.uniform(0.005, 0.02) * RATE)
    u = np.arange(length) / RATE
    hz = rng.uniform(200, 1200)
    tau = length / RATE / rng.uniform(3, 6)
    return level * rng.choice([-1, 1]) * np.exp(-u / tau) * np.sin(2 * np.pi * hz * u)


def wheeze(rng, duration):
    """A gliding tone with harmonics, unit rms over its length."""
    m = int(duration * RATE)
    u = np.arange(m) / m
    f0 = rng.uniform(100, 1000)
    kind = rng.integers(0, 3)
    if kind == 0:
        hz = f0 * (1 + rng.uniform(-0.3, 0.3) * u)               # straight glide
    elif kind == 1:
        hz = f0 * (1 + 0.1 * np.sin(2 * np.pi * rng.uniform(0.5, 2) * u * duration))  # wavering
    else:
        hz = f0 * np.ones(m)                                      # steady
    hz = np.clip(hz, 100, 1000)
    phase = 2 * np.pi * np.cumsum(hz) / RATE
    tone = np.sin(phase)
    for k in (2, 3):
        if rng.uniform() < 0.6:
            tone += rng.uniform(0.1, 0.5) * np.sin(k * phase + rng.uniform(0, 6.3))
    # Amplitude that swells and fades a little, as airflow through a narrowing does.
    tone *= (1 + 0.3 * np.sin(np.pi * u)) * ramp(m, int(0.02 * RATE))
    return tone / np.sqrt(np.mean(tone ** 2)), f0


def make_recording(rng, seconds, snr_db):
    n = int(seconds * RATE)
    cycles = plan_cycles(rng, seconds)
    knee = rng.uniform(150, 350)
    noise = shaped_noise(rng, n, knee, rng.uniform(10, 25))
    insp, exp_ = 1.0, rng.uniform(0.4, 0.9)
    env = breath_envelope(cycles, n, insp, exp_, rng.uniform(0.05, 0.2))
    breath = noise * env
    x = breath.copy()
    if rng.uniform() < 0.8:
        x += heart_sounds(rng, n, rng.uniform(0.5, 3.0))
    labels = []
    for c in cycles:
        wheezing = rng.uniform() < 0.4
        crackles = rng.uniform() < 0.3
        if wheezing:
            for _ in range(rng.integers(1, 3)):
                in_insp = rng.uniform() < 0.4
                p_start = c["start"] if in_insp else c["start"] + c["insp"]
                p_len = c["insp"] if in_insp else c["exp"]
                duration = min(rng.uniform(0.1, 2.0), 0.9 * p_len)
                duration = max(duration, 0.1)
                t0 = p_start + rng.uniform(0, max(p_len - duration, 0.0))
                tone, _ = wheeze(rng, duration)
                i0 = int(t0 * RATE)
                seg = slice(i0, i0 + len(tone))
                p_noise = np.mean(breath[seg] ** 2)
                x[seg] += tone * np.sqrt(p_noise * 10 ** (snr_db / 10))
        if crackles:
            train = rng.uniform() < 0.5
            count = rng.integers(5, 15) if train else rng.integers(1, 5)
            t = c["start"] + rng.uniform(0.05, 0.3) * c["insp"]
            level = rng.uniform(2, 8) * insp
            for _ in range(count):
                blip = crackle(rng, level)
                i0 = int(t * RATE)
                x[i0:i0 + len(blip)] += blip
                t += rng.uniform(0.01, 0.06) if train else rng.uniform(0.05, 0.5)
                if t > c["end"] - 0.05:
                    break
        if rng.uniform() < 0.2:  # a squawk-like short tone, not a wheeze
            m = int(rng.uniform(0.03, 0.07) * RATE)
            t0 = rng.uniform(c["start"], c["end"] - 0.1)
            hz = rng.uniform(150, 900)
            i0 = int(t0 * RATE)
            x[i0:i0 + m] += rng.uniform(1, 3) * np.sin(2 * np.pi * hz * np.arange(m) / RATE) * np.hanning(m)
        if rng.uniform() < 0.15:  # a rub or a knock of the chest piece
            m = int(rng.uniform(0.02, 0.25) * RATE)
            t0 = rng.uniform(c["start"], c["end"] - 0.3)
            i0 = int(t0 * RATE)
            x[i0:i0 + m] += rng.uniform(3, 20) * shaped_noise(rng, m, 100, 6) * np.hanning(m)
        labels.append((c["start"], c["end"], int(crackles), int(wheezing)))
    if rng.uniform() < 0.33:
        mains = rng.choice([50.0, 60.0])
        t = np.arange(n) / RATE
        hum = sum(rng.uniform(0.1, 1.0) / k * np.sin(2 * np.pi * mains * k * t + rng.uniform(0, 6.3))
                  for k in (1, 2, 3, 4, 5))
        x += rng.uniform(0.05, 0.5) * hum
    x = band_limit(x, rng.choice([None, 2000.0, 5000.0]))
    # From a quiet stethoscope to a loud microphone that clips.
    peak = np.max(np.abs(x))
    target = 10 ** rng.uniform(np.log10(300), np.log10(60000))
    x = np.clip(np.round(x * target / peak), -32768, 32767).astype("<i2")
    return x, labels


def write_wav(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.tobytes())


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out")
    parser.add_argument("--per-snr", type=int, default=12, help="recordings per SNR and part")
    parser.add_argument("--seed", type=int, default=22)
    parser.add_argument("--seconds", type=float, default=30.0)
    args = parser.parse_args()
    rng = np.random.default_rng(args.seed)
    for part in ("train", "test"):
        folder = os.path.join(args.out, part)
        os.makedirs(folder, exist_ok=True)
        for snr in SNRS:
            for k in range(args.per_snr):
                samples, labels = make_recording(rng, args.seconds, snr)
                name = os.path.join(folder, "snr%+03d_%02d" % (snr, k))
                write_wav(name + ".wav", samples)
                with open(name + ".txt", "w") as f:
                    for start, end, crackles, wheezing in labels:
                        f.write("%.3f\t%.3f\t%d\t%d\n" % (start, end, crackles, wheezing))


if __name__ == "__main__":
    main()
