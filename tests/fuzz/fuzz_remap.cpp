// Remap curves (".remap" texts): a text either loads, and then holds samples inside 0..1
// and writes and reads back to the same bytes, or is refused with the curve unchanged.
#include "world/RemapCurve.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string TempPath(const char* tag)
{
    return "/tmp/kv_fuzz_remap_" + std::to_string(::getpid()) + tag;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string in = TempPath(".remap"), out1 = TempPath("1.remap"), out2 = TempPath("2.remap");
    {
        std::ofstream f(in, std::ios::binary);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kv::RemapCurve curve;
    curve.samples = {0.25f};
    curve.scaleHigh = 9.0f;
    if (curve.LoadFromFile(in) != 0) {
        if (curve.samples.size() != 1 || curve.samples[0] != 0.25f || curve.scaleHigh != 9.0f)
            std::abort(); // a refused text leaves the curve as it was
    } else {
        for (float s : curve.samples)
            if (!(s >= 0.0f && s <= 1.0f))
                std::abort();
        if (curve.SaveToFile(out1) != 0)
            std::abort();
        kv::RemapCurve again;
        if (again.LoadFromFile(out1) != 0 || again.SaveToFile(out2) != 0 || ReadAll(out1) != ReadAll(out2))
            std::abort();
    }
    std::remove(in.c_str());
    std::remove(out1.c_str());
    std::remove(out2.c_str());
    return 0;
}
