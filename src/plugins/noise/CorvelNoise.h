// The core of the Corvel noise libraries: a lagged-Fibonacci uniform generator with
// 97 lags, the noise tables drawn from it and 3-D gradient noise over a 4096-cell lattice.
// Everything is static state of the library; nothing is allocated.
#pragma once

#include <cstdint>

namespace kv::corvel {

constexpr int kLattice = 4096;
constexpr int kTableSize = 2 * kLattice + 2;

// Seeds the generator. The seed's magnitude and its upper 16 bits pick the start state.
void SeedUniformRandom(int32_t seed);
// The next value in [0, 1), rounded to single precision.
float UniformRandom();

// Draws the permutation and gradient tables from the generator.
void BuildNoiseTables();
// Makes the next GradientNoise3 draw the tables again.
void MarkNoiseTablesDirty();

// Noise at (x, y, z), roughly within -1..1; 0 at every integer lattice point, period
// 4096 along each axis. Builds the tables first when they are marked.
double GradientNoise3(double x, double y, double z);

// Read-only views for inspection.
const int32_t* PermutationTable();    // kTableSize entries
const double (*GradientTable())[3];   // kTableSize entries

} // namespace kv::corvel
