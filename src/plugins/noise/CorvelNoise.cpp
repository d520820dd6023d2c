#include "CorvelNoise.h"

#include <climits>
#include <cmath>

namespace kv::corvel {

namespace {

// Generator state: u[1..97] (u[0] unused), the carry c with its step cd and modulus cm,
// and the two lag indexes.
struct Generator {
    double u[98];
    double c, cd, cm;
    int i97, j97;
    bool initialised;
    int32_t lastSeed;
};
Generator g_rng;

int32_t g_permutation[kTableSize];
double g_gradient3[kTableSize][3];
bool g_tablesDirty = true;

// Integer part rounded toward zero. Out of the int range (or NaN) the conversion is
// undefined in the language; give INT_MIN there, as the processor's conversion does.
inline int Truncate(double t)
{
    if (t >= -2147483648.0 && t < 2147483648.0)
        return static_cast<int>(t);
    return INT_MIN;
}

// One table coordinate: ((trunc(UniformRandom x 32767) mod 8192) - 4096) / 4096.
inline double DrawCoordinate()
{
    const int r = Truncate(static_cast<double>(UniformRandom()) * 32767.0);
    return ((r % 8192) - 4096) / 4096.0;
}

// Draws n coordinates and scales them to unit length (a zero vector stays zero).
void DrawUnitVector(double* v, int n)
{
    double lengthSq = 0.0;
    for (int k = 0; k < n; ++k) {
        v[k] = DrawCoordinate();
        lengthSq += v[k] * v[k];
    }
    const double length = std::sqrt(lengthSq);
    if (length > 0.0)
        for (int k = 0; k < n; ++k)
            v[k] /= length;
}

inline double SCurve(double t) { return t * t * (3.0 - 2.0 * t); }
inline double Lerp(double w, double a, double b) { return a + w * (b - a); }
inline double At(const double* q, double x, double y, double z) { return x * q[0] + y * q[1] + z * q[2]; }

struct Axis {
    int b0, b1;
    double r0, r1;
};

inline Axis LatticeAxis(double coordinate)
{
    const double t = coordinate + 65536.0;
    const int whole = Truncate(t);
    Axis a;
    a.b0 = whole & (kLattice - 1);
    a.b1 = (a.b0 + 1) & (kLattice - 1);
    a.r0 = t - whole;
    a.r1 = a.r0 - 1.0;
    return a;
}

} // namespace

void SeedUniformRandom(int32_t seed)
{
    g_rng.lastSeed = seed;
    // The magnitude is taken in 64 bits: |INT32_MIN| does not fit in 32.
    const int64_t magnitude = seed < 0 ? -static_cast<int64_t>(seed) : seed;
    const int ij = static_cast<int>(magnitude % 31329);
    const int kl = static_cast<int>((static_cast<uint32_t>(seed) >> 16) % 30082u);
    int i = (ij / 177) % 177 + 2;
    int j = ij % 177 + 2;
    int k = (kl / 169) % 178 + 1;
    int l = kl % 169;
    for (int n = 1; n <= 97; ++n) {
        double s = 0.0;
        double t = 0.5;
        for (int bit = 0; bit < 24; ++bit) {
            const int m = ((i * j) % 179) * k % 179;
            i = j;
            j = k;
            k = m;
            l = (53 * l + 1) % 169;
            if ((l * m) % 64 >= 32)
                s += t;
            t *= 0.5;
        }
        g_rng.u[n] = s;
    }
    g_rng.c = 362436.0 / 16777216.0;
    g_rng.cd = 7654321.0 / 16777216.0;
    g_rng.cm = 16777213.0 / 16777216.0;
    g_rng.i97 = 97;
    g_rng.j97 = 33;
    g_rng.initialised = true;
}

float UniformRandom()
{
    if (!g_rng.initialised)
        SeedUniformRandom(0);
    double uni = g_rng.u[g_rng.i97] - g_rng.u[g_rng.j97];
    if (uni < 0.0)
        uni += 1.0;
    g_rng.u[g_rng.i97] = uni;
    if (--g_rng.i97 == 0)
        g_rng.i97 = 97;
    if (--g_rng.j97 == 0)
        g_rng.j97 = 97;
    g_rng.c -= g_rng.cd;
    if (g_rng.c < 0.0)
        g_rng.c += g_rng.cm;
    uni -= g_rng.c;
    if (uni < 0.0)
        uni += 1.0;
    return static_cast<float>(uni);
}

void BuildNoiseTables()
{
    // Per entry, the 1-D, 2-D and 4-D gradients are drawn as well: the noise never reads
    // them, but their draws belong to the sequence that fixes the 3-D gradients and the
    // permutation.
    double unused[4];
    for (int i = 0; i < kLattice; ++i) {
        g_permutation[i] = i;
        unused[0] = DrawCoordinate();      // 1-D gradient
        DrawUnitVector(unused, 2);         // 2-D gradient
        DrawUnitVector(g_gradient3[i], 3); // 3-D gradient
        DrawUnitVector(unused, 4);         // 4-D gradient
    }
    for (int i = kLattice - 1; i >= 1; --i) {
        const int32_t k = g_permutation[i];
        const int j = Truncate(static_cast<double>(UniformRandom()) * 32767.0) % kLattice;
        g_permutation[i] = g_permutation[j];
        g_permutation[j] = k;
    }
    for (int i = 0; i < kLattice + 2; ++i) {
        g_permutation[kLattice + i] = g_permutation[i];
        for (int c = 0; c < 3; ++c)
            g_gradient3[kLattice + i][c] = g_gradient3[i][c];
    }
}

void MarkNoiseTablesDirty() { g_tablesDirty = true; }

double GradientNoise3(double x, double y, double z)
{
    if (g_tablesDirty) {
        g_tablesDirty = false;
        BuildNoiseTables();
    }
    const Axis ax = LatticeAxis(x), ay = LatticeAxis(y), az = LatticeAxis(z);
    const int i = g_permutation[ax.b0];
    const int j = g_permutation[ax.b1];
    const int b00 = g_permutation[i + ay.b0];
    const int b10 = g_permutation[j + ay.b0];
    const int b01 = g_permutation[i + ay.b1];
    const int b11 = g_permutation[j + ay.b1];
    const double sx = SCurve(ax.r0), sy = SCurve(ay.r0), sz = SCurve(az.r0);

    double u = At(g_gradient3[b00 + az.b0], ax.r0, ay.r0, az.r0);
    double v = At(g_gradient3[b10 + az.b0], ax.r1, ay.r0, az.r0);
    const double a = Lerp(sx, u, v);
    u = At(g_gradient3[b01 + az.b0], ax.r0, ay.r1, az.r0);
    v = At(g_gradient3[b11 + az.b0], ax.r1, ay.r1, az.r0);
    const double b = Lerp(sx, u, v);
    const double c = Lerp(sy, a, b);

    u = At(g_gradient3[b00 + az.b1], ax.r0, ay.r0, az.r1);
    v = At(g_gradient3[b10 + az.b1], ax.r1, ay.r0, az.r1);
    const double a1 = Lerp(sx, u, v);
    u = At(g_gradient3[b01 + az.b1], ax.r0, ay.r1, az.r1);
    v = At(g_gradient3[b11 + az.b1], ax.r1, ay.r1, az.r1);
    const double b1 = Lerp(sx, u, v);
    const double d = Lerp(sy, a1, b1);

    return Lerp(sz, c, d);
}

const int32_t* PermutationTable() { return g_permutation; }
const double (*GradientTable())[3] { return g_gradient3; }

} // namespace kv::corvel
