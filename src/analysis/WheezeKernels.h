// The symmetric kernels of the wheeze detector and the filters that apply them
// across the bins of one spectrum row. Everything is single precision.
#pragma once

#include <array>
#include <vector>

namespace vode {

constexpr int SmoothHalf = 47;  // S: ideal low-pass of one third of the band
constexpr int BroadHalf = 99;   // W: ideal low-pass of one tenth of the band
constexpr int RingHalf = 18;    // R: the surroundings of a bin, without the bin
constexpr int SideHalf = 12;    // D: raised cosine for the bands beside a peak

enum class KernelKind { RaisedCosine, Ring };

// n + 1 weights K[0..n], normalised so that K[0] + 2 × (K[1] + ... + K[n]) is 1.
std::vector<float> MakeKernel(int n, KernelKind kind);

struct PeakKernels {
  std::array<float, SmoothHalf + 1> S{};
  std::array<float, BroadHalf + 1> W{};
  std::vector<float> R;  // MakeKernel(18, ring)
  std::vector<float> D;  // MakeKernel(12, raised cosine)
};

PeakKernels MakePeakKernels();

// K[0] × y[i] + Σ_{k=1..n} K[k] × (y[i+k] + y[i−k]) over a row of `size`
// values, i first limited to the row; indices past either end read the end
// value. Accumulated in order of increasing k.
float FilterAt(const float* y, int size, int i, const float* K, int n);

// y[i] = FilterAt(x, size, i, S, 47) for i = 0 .. count − 1 (count <= size),
// vectorised across i; every y[i] is bit-identical to FilterAt. Reads x only
// up to index min(size − 1, roundUp16(count) − 1 + 47).
void SmoothRow(const float* x, int size, float* y, int count, const float* S);

}  // namespace vode
