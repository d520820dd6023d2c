// The two records of the noise-source interface and the five operations that use them.
//
// This header is shared by the host and the noise plug-in libraries: it is the whole
// contract between them, so it holds nothing but plain records and function types.
// Both records are byte-exact little-endian layouts; the static_asserts below pin every
// offset so that a plug-in built by anyone else reads the same bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kv {

constexpr int kTexInfoSize = 1164;
constexpr int kTexParmsSize = 128;
constexpr int kTexNameLength = 128;  // bytes of a name, terminator included
constexpr int kTexExtraCount = 8;    // extra parameters of a source

// What a source is: filled by the source's TexGetInfo.
struct TexInfo {
    int32_t size;                                   // the caller sets kTexInfoSize before asking
    int32_t id;                                     // source id
    char name[kTexNameLength];                      // display name, zero-terminated
    uint32_t extrasMask;                            // bit i set: extra parameter i is used
    char extraNames[kTexExtraCount][kTexNameLength]; // names of the extra parameters
};

// One configuration of a source and the point to evaluate. Owned by the caller: every
// evaluator keeps its own copy, because a source may change the sample point (and clamp
// the octave count) of the record it is given.
struct TexParms {
    int32_t size;                  // kTexParmsSize
    int32_t reserved;              // alignment padding; never read
    double H;                      // fractal increment
    double lacunarity;             // frequency ratio between octaves
    double octaves;                // the whole part is the octave count
    double point[3];               // sample point x, y, z: written before every evaluation
    int32_t seed;
    int32_t octaveMask;            // bit i set: octave i contributes (-1: all)
    double extras[kTexExtraCount]; // meaning per source, named in TexInfo
};

static_assert(std::endian::native == std::endian::little, "the records are little-endian layouts");
static_assert(std::is_standard_layout_v<TexInfo> && std::is_trivially_copyable_v<TexInfo>);
static_assert(std::is_standard_layout_v<TexParms> && std::is_trivially_copyable_v<TexParms>);
static_assert(sizeof(TexInfo) == kTexInfoSize);
static_assert(offsetof(TexInfo, size) == 0);
static_assert(offsetof(TexInfo, id) == 4);
static_assert(offsetof(TexInfo, name) == 8);
static_assert(offsetof(TexInfo, extrasMask) == 136);
static_assert(offsetof(TexInfo, extraNames) == 140);
static_assert(sizeof(TexParms) == kTexParmsSize);
static_assert(offsetof(TexParms, size) == 0);
static_assert(offsetof(TexParms, reserved) == 4);
static_assert(offsetof(TexParms, H) == 8);
static_assert(offsetof(TexParms, lacunarity) == 16);
static_assert(offsetof(TexParms, octaves) == 24);
static_assert(offsetof(TexParms, point) == 32);
static_assert(offsetof(TexParms, seed) == 56);
static_assert(offsetof(TexParms, octaveMask) == 60);
static_assert(offsetof(TexParms, extras) == 64);

// The five operations of a source. Plug-in libraries export them with C linkage under
// the names below; the built-in sources provide the same signatures without exporting.
using TexGetInfoFn = void (*)(TexInfo* info);    // copies the source's TexInfo (at most info->size bytes)
using TexCreateFn = void (*)(TexParms* parms);   // prepares the source for this configuration
using TexDestroyFn = void (*)(TexParms* parms);  // releases what create prepared
using TexEvalFn = void (*)(TexParms* parms, float* out); // the value at parms->point
using TexDefaultFn = void (*)(TexParms* parms);  // copies the defaults (at most parms->size bytes)

constexpr const char* kTexGetInfoExport = "TexGetInfo";
constexpr const char* kTexCreateExport = "TexCreate";
constexpr const char* kTexDestroyExport = "TexDestroy";
constexpr const char* kTexEvalExport = "TexEval";
constexpr const char* kTexDefaultExport = "TexDefault";

} // namespace kv
