#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "analysis/WheezeKernels.h"

using namespace vode;

namespace {

float weightSum(const std::vector<float>& K) {
  float side = 0.0f;
  for (size_t k = 1; k < K.size(); ++k) side += K[k];
  return K[0] + 2.0f * side;
}

std::vector<float> randomRow(unsigned seed, int size = 960) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> value(-5.0f, 12.0f);
  std::vector<float> row(size);
  for (float& v : row) v = value(rng);
  return row;
}

}  // namespace

TEST(WheezeKernels, MakeKernelSmallCasesByHand) {
  // n = 1: d = π/2, so the raised cosine is {1, 0.5} and the ring {0, 1},
  // each divided by its total of 2 (d in single precision is not quite π/2).
  const std::vector<float> raised = MakeKernel(1, KernelKind::RaisedCosine);
  const std::vector<float> ring = MakeKernel(1, KernelKind::Ring);
  ASSERT_EQ(raised.size(), 2u);
  ASSERT_EQ(ring.size(), 2u);
  EXPECT_FLOAT_EQ(raised[0], 0.5f);
  EXPECT_FLOAT_EQ(raised[1], 0.25f);
  EXPECT_EQ(ring[0], 0.0f);
  EXPECT_FLOAT_EQ(ring[1], 0.5f);
}

TEST(WheezeKernels, RingAndSideKernelsAreNormalisedAndShaped) {
  const std::vector<float> R = MakeKernel(RingHalf, KernelKind::Ring);
  const std::vector<float> D = MakeKernel(SideHalf, KernelKind::RaisedCosine);
  ASSERT_EQ(R.size(), 19u);
  ASSERT_EQ(D.size(), 13u);
  EXPECT_NEAR(weightSum(R), 1.0f, 1e-6f);
  EXPECT_NEAR(weightSum(D), 1.0f, 1e-6f);
  // The ring leaves out the centre and is largest half-way out (k = 9.5).
  EXPECT_EQ(R[0], 0.0f);
  EXPECT_GT(R[9], R[1]);
  EXPECT_GT(R[10], R[18]);
  EXPECT_FLOAT_EQ(R[9], R[10]);
  // The raised cosine falls from the centre.
  for (int k = 1; k <= SideHalf; ++k) EXPECT_LT(D[k], D[k - 1]);
}

TEST(WheezeKernels, LowPassKernelsFollowTheirFormulas) {
  const PeakKernels kernels = MakePeakKernels();
  EXPECT_EQ(kernels.S[0], 1.0f / 3.0f);
  EXPECT_FLOAT_EQ(kernels.S[1], static_cast<float>(std::sin(M_PI / 3) / M_PI));
  EXPECT_FLOAT_EQ(kernels.S[4], static_cast<float>(std::sin(4 * M_PI / 3) / (4 * M_PI)));
  EXPECT_NEAR(kernels.S[3], 0.0f, 1e-7f);  // sin(π) / 3π
  EXPECT_EQ(kernels.W[0], 0.1f);
  EXPECT_FLOAT_EQ(kernels.W[7], static_cast<float>(std::sin(0.7 * M_PI) / (7 * M_PI)));
  EXPECT_NEAR(kernels.W[10], 0.0f, 1e-7f);  // sin(π) / 10π
}

TEST(WheezeKernels, FilterAtClampsTheCentreAndTheEnds) {
  const std::vector<float> y = {1.0f, 2.0f, 4.0f, 8.0f, 16.0f};
  const std::vector<float> K = {0.5f, 0.25f, 0.125f};
  // Centre 0: below-zero indices read y[0].
  EXPECT_EQ(FilterAt(y.data(), 5, 0, K.data(), 2), 0.5f * 1 + 0.25f * (2 + 1) + 0.125f * (4 + 1));
  // Centre 4: indices past the end read y[4].
  EXPECT_EQ(FilterAt(y.data(), 5, 4, K.data(), 2), 0.5f * 16 + 0.25f * (16 + 8) + 0.125f * (16 + 4));
  // A centre outside the row is first limited to it.
  EXPECT_EQ(FilterAt(y.data(), 5, -7, K.data(), 2), FilterAt(y.data(), 5, 0, K.data(), 2));
  EXPECT_EQ(FilterAt(y.data(), 5, 9, K.data(), 2), FilterAt(y.data(), 5, 4, K.data(), 2));
}

TEST(WheezeKernels, SmoothRowIsBitIdenticalToFilterAt) {
  const PeakKernels kernels = MakePeakKernels();
  for (unsigned seed : {1u, 2u}) {
    const std::vector<float> x = randomRow(seed);
    std::vector<float> y(960);
    SmoothRow(x.data(), 960, y.data(), 960, kernels.S.data());
    for (int i = 0; i < 960; ++i)
      ASSERT_EQ(y[i], FilterAt(x.data(), 960, i, kernels.S.data(), SmoothHalf)) << "bin " << i;
  }
}

TEST(WheezeKernels, SmoothRowOfAPartReadsOnlyWhatItNeeds) {
  const PeakKernels kernels = MakePeakKernels();
  const std::vector<float> full = randomRow(3);
  for (int count : {450, 17, 1}) {
    // Bins past roundUp16(count) - 1 + 47 are poison; no output may see them.
    std::vector<float> x = full;
    const int readable = (count + 15) / 16 * 16 + SmoothHalf;
    for (int b = readable; b < 960; ++b) x[b] = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> y(960, -1.0f);
    SmoothRow(x.data(), 960, y.data(), count, kernels.S.data());
    for (int i = 0; i < count; ++i)
      ASSERT_EQ(y[i], FilterAt(full.data(), 960, i, kernels.S.data(), SmoothHalf)) << count << " bin " << i;
    for (int i = count; i < 960; ++i) ASSERT_EQ(y[i], -1.0f) << "written past the count at " << i;
  }
}

TEST(WheezeKernels, SmoothingAConstantRowGivesAConstantRow) {
  // The basis of "a flat spectrum has no peaks": every bin, the edges
  // included, sees the same sums in the same order.
  const PeakKernels kernels = MakePeakKernels();
  const std::vector<float> x(960, -64.33654f);
  std::vector<float> y(960);
  SmoothRow(x.data(), 960, y.data(), 960, kernels.S.data());
  for (int i = 1; i < 960; ++i) ASSERT_EQ(y[i], y[0]);
}
