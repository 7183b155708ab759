#include "analysis/Fft.h"

#include <algorithm>
#include <cmath>

namespace vode {

namespace {

constexpr int Bits = 10;  // 1024 = 2^10 complex points
constexpr int Half = RealFft2048::Half;

#define VODE_INLINE inline __attribute__((always_inline))

// Two butterfly stages in one pass, half-spans m and 2m: in each group of 4m
// points, a = z[j], b = z[j+m], c = z[j+2m], d = z[j+3m] become
// stage m:  a ± W·b and c ± W·d with W = exp(-iπ·j/m),
// stage 2m: the pairs (j, j+2m) and (j+m, j+3m) with exp(-iπ·j/2m) and
// exp(-iπ·(j+m)/2m) from the table. Every product and sum is the one the
// single-stage butterfly a ± w·b = (br·wc − bi·ws, br·ws + bi·wc) makes.
VODE_INLINE void stagePair(float* __restrict re, float* __restrict im, const float* __restrict cosTable,
                           const float* __restrict sinTable, int m) {
  const float* __restrict w1c = cosTable + m;
  const float* __restrict w1s = sinTable + m;
  const float* __restrict w2c = cosTable + 2 * m;
  const float* __restrict w2s = sinTable + 2 * m;
  const float* __restrict w3c = cosTable + 3 * m;
  const float* __restrict w3s = sinTable + 3 * m;
  for (int g = 0; g < Half; g += 4 * m) {
    float* __restrict ar = re + g;
    float* __restrict ai = im + g;
    float* __restrict br = re + g + m;
    float* __restrict bi = im + g + m;
    float* __restrict cr = re + g + 2 * m;
    float* __restrict ci = im + g + 2 * m;
    float* __restrict dr = re + g + 3 * m;
    float* __restrict di = im + g + 3 * m;
    for (int j = 0; j < m; ++j) {
      const float tr = br[j] * w1c[j] - bi[j] * w1s[j];
      const float ti = br[j] * w1s[j] + bi[j] * w1c[j];
      const float a1r = ar[j] + tr, a1i = ai[j] + ti;
      const float b1r = ar[j] - tr, b1i = ai[j] - ti;
      const float ur = dr[j] * w1c[j] - di[j] * w1s[j];
      const float ui = dr[j] * w1s[j] + di[j] * w1c[j];
      const float c1r = cr[j] + ur, c1i = ci[j] + ui;
      const float d1r = cr[j] - ur, d1i = ci[j] - ui;
      const float vr = c1r * w2c[j] - c1i * w2s[j];
      const float vi = c1r * w2s[j] + c1i * w2c[j];
      const float xr = d1r * w3c[j] - d1i * w3s[j];
      const float xi = d1r * w3s[j] + d1i * w3c[j];
      ar[j] = a1r + vr;
      ai[j] = a1i + vi;
      cr[j] = a1r - vr;
      ci[j] = a1i - vi;
      br[j] = b1r + xr;
      bi[j] = b1i + xi;
      dr[j] = b1r - xr;
      di[j] = b1i - xi;
    }
  }
}

// X[k] from Z[k] = (zr, zi)[k] and Z[N-k] = (nr, ni)[k], for k < count.
VODE_INLINE void unpack(const float* __restrict zr, const float* __restrict zi, const float* __restrict nr,
                        const float* __restrict ni, const float* __restrict wc, const float* __restrict ws,
                        float* __restrict xr, float* __restrict xi, int count) {
  for (int k = 0; k < count; ++k) {
    const float er = (zr[k] + nr[k]) * 0.5f;
    const float ei = (zi[k] - ni[k]) * 0.5f;
    const float orr = (zi[k] + ni[k]) * 0.5f;
    const float oi = (nr[k] - zr[k]) * 0.5f;
    xr[k] = er + (wc[k] * orr - ws[k] * oi);
    xi[k] = ei + (wc[k] * oi + ws[k] * orr);
  }
}

VODE_INLINE void complexTransform(const float* x, const RealFft2048::Tables& t, float* __restrict re,
                                  float* __restrict im) {
  // Pack even samples as real and odd samples as imaginary parts in
  // bit-reversed order, and run the stages of half-span 1 and 2 on the way:
  // their twiddles are 1 and -i. Points g .. g+3 (g a multiple of 4) come
  // from r, r + 512, r + 256 and r + 768 with r the reversal of g.
  for (int g = 0; g < Half; g += 4) {
    const float* p0 = x + 2 * t.bitReversed[g];
    const float* p1 = p0 + 2 * 512;
    const float* p2 = p0 + 2 * 256;
    const float* p3 = p0 + 2 * 768;
    const float a0r = p0[0] + p1[0], a0i = p0[1] + p1[1];
    const float a1r = p0[0] - p1[0], a1i = p0[1] - p1[1];
    const float a2r = p2[0] + p3[0], a2i = p2[1] + p3[1];
    const float a3r = p2[0] - p3[0], a3i = p2[1] - p3[1];
    re[g] = a0r + a2r;
    im[g] = a0i + a2i;
    re[g + 2] = a0r - a2r;
    im[g + 2] = a0i - a2i;
    // -i · a3 = (a3i, -a3r)
    re[g + 1] = a1r + a3i;
    im[g + 1] = a1i - a3r;
    re[g + 3] = a1r - a3i;
    im[g + 3] = a1i + a3r;
  }
  // The remaining stages, half-span 4 to 512, two per pass.
  const float* wc = t.stageCos.data();
  const float* ws = t.stageSin.data();
  stagePair(re, im, wc, ws, 4);
  stagePair(re, im, wc, ws, 16);
  stagePair(re, im, wc, ws, 64);
  stagePair(re, im, wc, ws, 256);
}

// Unpack: with Z the packed transform, the even samples' transform is
// E = (Z[k] + conj Z[N-k]) / 2, the odd samples' O = (Z[k] - conj Z[N-k]) / 2i,
// and X[k] = E + exp(-2πi·k/2048)·O.
VODE_INLINE void unpackBins(const RealFft2048::Tables& t, RealFft2048::Work& work, int bins, float* outRe,
                            float* outIm) {
  const float* re = work.re.data();
  const float* im = work.im.data();
  // k = 0 pairs Z[0] with itself.
  unpack(re, im, re, im, t.unpackCos.data(), t.unpackSin.data(), outRe, outIm, 1);
  // Z[N-k] for k = 1, 2, ... runs backwards from Z[1023].
  std::reverse_copy(re + Half - (bins - 1), re + Half, work.reRev.data());
  std::reverse_copy(im + Half - (bins - 1), im + Half, work.imRev.data());
  unpack(re + 1, im + 1, work.reRev.data(), work.imRev.data(), t.unpackCos.data() + 1, t.unpackSin.data() + 1,
         outRe + 1, outIm + 1, bins - 1);
}

VODE_INLINE void transformBody(const float* x, int bins, float* outRe, float* outIm, RealFft2048::Work& work,
                               const RealFft2048::Tables& t) {
  complexTransform(x, t, work.re.data(), work.im.data());
  if (bins > Half) bins = Half;
  if (bins < 1) return;
  unpackBins(t, work, bins, outRe, outIm);
}

VODE_INLINE void powerBody(const int16_t* __restrict samples, const float* __restrict window, float volts,
                           float scale, int bins, float* __restrict power, RealFft2048::Work& work,
                           const RealFft2048::Tables& t) {
  float* __restrict x = work.x.data();
  for (int k = 0; k < RealFft2048::Size; ++k) x[k] = static_cast<float>(samples[k]) * window[k] * volts;
  complexTransform(x, t, work.re.data(), work.im.data());
  if (bins > Half) bins = Half;
  if (bins < 1) return;
  // The bins go through x, which is free again.
  float* __restrict re = x;
  float* __restrict im = x + Half;
  unpackBins(t, work, bins, re, im);
  for (int b = 0; b < bins; ++b) power[b] = (re[b] * re[b] + im[b] * im[b]) * scale;
}

void transformBaseline(const float* x, int bins, float* re, float* im, RealFft2048::Work& work,
                       const RealFft2048::Tables& t) {
  transformBody(x, bins, re, im, work, t);
}

void powerBaseline(const int16_t* samples, const float* window, float volts, float scale, int bins, float* power,
                   RealFft2048::Work& work, const RealFft2048::Tables& t) {
  powerBody(samples, window, volts, scale, bins, power, work, t);
}

#if defined(__x86_64__)
#define VODE_FFT_WIDE 1
__attribute__((target("avx2"))) void transformWide(const float* x, int bins, float* re, float* im,
                                                   RealFft2048::Work& work, const RealFft2048::Tables& t) {
  transformBody(x, bins, re, im, work, t);
}

__attribute__((target("avx2"))) void powerWide(const int16_t* samples, const float* window, float volts,
                                               float scale, int bins, float* power, RealFft2048::Work& work,
                                               const RealFft2048::Tables& t) {
  powerBody(samples, window, volts, scale, bins, power, work, t);
}
#endif

}  // namespace

RealFft2048::RealFft2048(bool wide) {
  Tables& t = tables_;
  t.bitReversed.resize(Half);
  t.stageCos.resize(Half);
  t.stageSin.resize(Half);
  t.unpackCos.resize(Half);
  t.unpackSin.resize(Half);
  for (int j = 0; j < Half; ++j) {
    int r = 0;
    for (int b = 0; b < Bits; ++b) r |= ((j >> b) & 1) << (Bits - 1 - b);
    t.bitReversed[j] = static_cast<uint16_t>(r);
  }
  // Stage of half-span m (4 .. 512): exp(-iπ·j/m) for j < m, stored from index m.
  for (int m = 4; m < Half; m *= 2) {
    for (int j = 0; j < m; ++j) {
      const double a = M_PI * j / m;
      t.stageCos[m + j] = static_cast<float>(std::cos(a));
      t.stageSin[m + j] = static_cast<float>(-std::sin(a));
    }
  }
  for (int k = 0; k < Half; ++k) {
    const double a = 2.0 * M_PI * k / Size;
    t.unpackCos[k] = static_cast<float>(std::cos(a));
    t.unpackSin[k] = static_cast<float>(-std::sin(a));
  }
#ifdef VODE_FFT_WIDE
  wide_ = wide && __builtin_cpu_supports("avx2");
#else
  (void)wide;
#endif
}

void RealFft2048::transform(const float* x, int bins, float* re, float* im, Work& work) const {
#ifdef VODE_FFT_WIDE
  if (wide_) return transformWide(x, bins, re, im, work, tables_);
#endif
  transformBaseline(x, bins, re, im, work, tables_);
}

void RealFft2048::power(const int16_t* samples, const float* window, float volts, float scale, int bins,
                        float* out, Work& work) const {
#ifdef VODE_FFT_WIDE
  if (wide_) return powerWide(samples, window, volts, scale, bins, out, work, tables_);
#endif
  powerBaseline(samples, window, volts, scale, bins, out, work, tables_);
}

}  // namespace vode
