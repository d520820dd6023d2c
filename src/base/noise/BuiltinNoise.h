// The gradient noise and octave sums behind the two built-in noise sources.
//
// Tables and octave weights are process-wide and built lazily: the tables from the
// calling thread's Rand() sequence (so the caller seeds the generator first), the
// weights from the (H, lacunarity, octaves) of the first sum after they were marked.
// Marks and rebuilds belong on the user-interface thread while no evaluation runs; once
// built, the sums only read them, from any number of threads.
#pragma once

#include <cstdint>

namespace kv {

constexpr int kNoiseLattice = 512;           // cells of the lattice along each axis
constexpr int kNoiseTableSize = 2 * kNoiseLattice + 2;
constexpr int kMaxOctaves = 32;              // size of the weights table and of the mask

struct BuiltinNoiseTables {
    double gradient[kNoiseTableSize][3]; // unit vectors; entries 512.. repeat 0..513
    int permutation[kNoiseTableSize];    // a permutation of 0..511; entries 512.. repeat 0..513
};

// 3-D gradient noise; 0 at every lattice point. Rebuilds the tables first when marked.
double GradientNoise3(double x, double y, double z);

// Fills the weights W[i] = lacunarity^(-i H) for i = 0..min(octaves, 31) (the rest 0),
// only while they are marked for rebuilding; clears the mark.
void ComputeOctaveWeights(double H, double lacunarity, double octaves);

// Octave sums at (x, y, z). The octave count is trunc(octaves), at most 32; octave 0 is
// evaluated in any case when bit 0 of the mask is set. Both run with the rounding mode
// switched to truncation and restore the caller's mode. A sum that is NaN (from NaN or
// infinite coordinates) is the quiet NaN 0x7FF8000000000000 whatever NaNs met inside it.
double FractalBrownianSum(double x, double y, double z, double H, double lacunarity, double octaves,
                          int32_t mask);
double RidgedMultifractalSum(double x, double y, double z, double H, double lacunarity, double octaves,
                             double offset, double gain, int32_t mask);

// The same sums of `count` points (x[k], y[k], z[k]) into out[k], each equal to the
// single-point sum to the last bit (NaN and infinite coordinates included). Weights,
// tables and the rounding mode are settled once for the group. `lanes` is the number of
// points that advance together: 1, 2, or 0 for the widest the processor runs (4 with
// AVX2, else 2); a count the processor lacks runs as the widest it has.
void FractalBrownianSums(int count, const double* x, const double* y, const double* z, double H, double lacunarity,
                         double octaves, int32_t mask, double* out, int lanes = 0);
void RidgedMultifractalSums(int count, const double* x, const double* y, const double* z, double H,
                            double lacunarity, double octaves, double offset, double gain, int32_t mask, double* out,
                            int lanes = 0);
// The widest lane count of the group sums on this processor: 4, 2, or 1 off x86-64.
int NoiseLaneWidth();

void MarkNoiseTablesDirty();
void MarkOctaveWeightsDirty();
// Marks tables and weights and rebuilds the tables at once from the calling thread's
// generator (what creating a built-in source does).
void RebuildNoiseTables();

// t^(log b / log 0.5).
double BiasCurve(double t, double b);
// 0 below 0.001, 1 above 0.999, else the two-sided power curve of exponent log(1-g)/log(0.5).
double GainCurve(double t, double g);

// Read-only views for inspection.
const BuiltinNoiseTables& GetNoiseTables();
const double* GetOctaveWeights(); // kMaxOctaves entries

} // namespace kv
