#include "base/Random.h"

#include <cmath>

namespace kv {

namespace {
thread_local uint32_t t_state = 1;
uint32_t g_lastSeed = 0;
} // namespace

int Rand()
{
    t_state = t_state * 214013u + 2531011u;
    return static_cast<int>((t_state >> 16) & 0x7FFFu);
}

void SRand(uint32_t seed)
{
    t_state = seed;
}

uint32_t RandState()
{
    return t_state;
}

void SeedRandom(uint32_t seed)
{
    g_lastSeed = seed;
    SRand(seed);
}

uint32_t LastRandomSeed()
{
    return g_lastSeed;
}

float RandomUniform()
{
    constexpr float kScale = 1.0f / 32767.0f;
    return static_cast<float>(Rand()) * kScale;
}

double RandomGaussian()
{
    constexpr int kCount = 4;
    static const double a = std::sqrt(3.0 * kCount);
    static const double s = 2.0 * a / kCount;
    constexpr float kScale = 1.0f / 32767.0f;
    float sum = 0.0f;
    for (int i = 0; i < kCount; ++i)
        sum += static_cast<float>(Rand()) * kScale;
    return sum * s - a;
}

} // namespace kv
