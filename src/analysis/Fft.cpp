#include "analysis/Fft.h"

#include <algorithm>
#include <cmath>

namespace vode {

namespace {

constexpr int Bits = 10;  // 1024 = 2^10 complex points

// One group of butterflies of half-span m: a ± w·b. The pointers never
// overlap, which lets the compiler use vector instructions.
void butterflies(float* __restrict ar, float* __restrict ai, float* __restrict br, float* __restrict bi,
                 const float* __restrict wc, const float* __restrict ws, int m) {
  for (int j = 0; j < m; ++j) {
    const float tr = br[j] * wc[j] - bi[j] * ws[j];
    const float ti = br[j] * ws[j] + bi[j] * wc[j];
    br[j] = ar[j] - tr;
    bi[j] = ai[j] - ti;
    ar[j] = ar[j] + tr;
    ai[j] = ai[j] + ti;
  }
}

// X[k] from Z[k] = (zr, zi)[k] and Z[N-k] = (nr, ni)[k], for k < count.
void unpack(const float* __restrict zr, const float* __restrict zi, const float* __restrict nr,
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

}  // namespace

RealFft2048::RealFft2048()
    : bitReversed_(Half), stageCos_(Half), stageSin_(Half), unpackCos_(Half), unpackSin_(Half) {
  for (int j = 0; j < Half; ++j) {
    int r = 0;
    for (int b = 0; b < Bits; ++b) r |= ((j >> b) & 1) << (Bits - 1 - b);
    bitReversed_[j] = static_cast<uint16_t>(r);
  }
  // Stage of half-span m (4 .. 512): exp(-iπ·j/m) for j < m, stored from index m.
  for (int m = 4; m < Half; m *= 2) {
    for (int j = 0; j < m; ++j) {
      const double a = M_PI * j / m;
      stageCos_[m + j] = static_cast<float>(std::cos(a));
      stageSin_[m + j] = static_cast<float>(-std::sin(a));
    }
  }
  for (int k = 0; k < Half; ++k) {
    const double a = 2.0 * M_PI * k / Size;
    unpackCos_[k] = static_cast<float>(std::cos(a));
    unpackSin_[k] = static_cast<float>(-std::sin(a));
  }
}

void RealFft2048::transform(const float* x, int bins, float* outRe, float* outIm, Work& work) const {
  float* re = work.re.data();
  float* im = work.im.data();

  // Pack even samples as real and odd samples as imaginary parts in
  // bit-reversed order, and run the stages of half-span 1 and 2 on the way:
  // their twiddles are 1 and -i. Points g .. g+3 (g a multiple of 4) come
  // from r, r + 512, r + 256 and r + 768 with r the reversal of g.
  for (int g = 0; g < Half; g += 4) {
    const float* p0 = x + 2 * bitReversed_[g];
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

  // The remaining stages, half-span 4 to 512.
  for (int m = 4; m < Half; m *= 2) {
    const float* wc = stageCos_.data() + m;
    const float* ws = stageSin_.data() + m;
    for (int g = 0; g < Half; g += 2 * m) butterflies(re + g, im + g, re + g + m, im + g + m, wc, ws, m);
  }

  // Unpack: with Z the packed transform, the even samples' transform is
  // E = (Z[k] + conj Z[N-k]) / 2, the odd samples' O = (Z[k] - conj Z[N-k]) / 2i,
  // and X[k] = E + exp(-2πi·k/2048)·O.
  if (bins > Half) bins = Half;
  if (bins < 1) return;
  // k = 0 pairs Z[0] with itself.
  unpack(re, im, re, im, unpackCos_.data(), unpackSin_.data(), outRe, outIm, 1);
  // Z[N-k] for k = 1, 2, ... runs backwards from Z[1023].
  std::reverse_copy(re + Half - (bins - 1), re + Half, work.reRev.data());
  std::reverse_copy(im + Half - (bins - 1), im + Half, work.imRev.data());
  unpack(re + 1, im + 1, work.reRev.data(), work.imRev.data(), unpackCos_.data() + 1, unpackSin_.data() + 1,
         outRe + 1, outIm + 1, bins - 1);
}

}  // namespace vode
