// The program's own random generator. World generation depends on its exact
// sequence, so it never uses the C library's rand().
#pragma once

#include <cstdint>

namespace kv {

constexpr int kRandMax = 0x7FFF;

// state = state * 214013 + 2531011 (mod 2^32); returns (state >> 16) & 0x7FFF.
// One state per thread.
int Rand();
void SRand(uint32_t seed);
// The calling thread's generator state: SRand(RandState()) later continues the sequence
// from here.
uint32_t RandState();

// Remembers the seed and seeds the calling thread's generator.
void SeedRandom(uint32_t seed);
uint32_t LastRandomSeed();

// Rand() * (1/32767) in single precision: 0..1.
float RandomUniform();
// Sum of four uniform draws (single precision) scaled to mean 0 and variance 1.
double RandomGaussian();

} // namespace kv
