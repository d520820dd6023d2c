// The "FracParms" text block and the command line's world values from arbitrary text: the
// block reads to its end or to the end of the text, and what it then writes reads back to
// the same text; no reader leaves a lacunarity that would make the noise NaN.
#include "base/text/CTokenizer.h"
#include "world/SurfMapParms.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string TextPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("kv_fuzz_fracparms_" + std::to_string(getpid()) + ".srf")).string();
    return path;
}

std::string Written(const kv::SurfMap& world)
{
    char* buffer = nullptr;
    size_t length = 0;
    std::FILE* f = open_memstream(&buffer, &length);
    const kv::CTokenizer spelling;
    world.WriteParms(f, spelling);
    std::fclose(f);
    std::string text(buffer, length);
    std::free(buffer);
    return text;
}

int ReadText(kv::SurfMap& world, const std::string& text)
{
    std::FILE* f = std::fopen(TextPath().c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return world.ReadParmsFile(TextPath());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace kv;
    const std::string input(reinterpret_cast<const char*>(data), size);
    SurfMap world;
    const int result = ReadText(world, input);
    if ((result != 0 && result != -1) || !SurfMap::UsableLacunarity(world.sourceParms.lacunarity))
        __builtin_trap();
    const std::string text = Written(world);
    SurfMap again;
    if (ReadText(again, text) != 0 || Written(again) != text)
        __builtin_trap();

    SurfMap parms;
    ParseTempRainParam(parms, input);
    if (parms.sphericalMapping != 1 || !SurfMap::UsableLacunarity(parms.sourceParms.lacunarity))
        __builtin_trap();
    return 0;
}
