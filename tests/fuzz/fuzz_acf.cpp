// Colour-to-altitude lists (".acf" texts): a text either loads, and then writes and reads
// back to the same bytes, or is refused with the list unchanged.
#include "document/AltColor.h"

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
    return "/tmp/kv_fuzz_acf_" + std::to_string(::getpid()) + tag;
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
    const std::string in = TempPath(".acf"), out1 = TempPath("1.acf"), out2 = TempPath("2.acf");
    {
        std::ofstream f(in, std::ios::binary);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kv::AltColorList list{kv::AltColor()};
    list[0].color = 0x123456;
    const int r = list.LoadFromFile(in);
    if (r != 0) {
        if (list.size() != 1 || list[0].color != 0x123456)
            std::abort(); // a refused file must leave the list as it was
    } else {
        if (list.SaveToFile(out1) != 0)
            std::abort();
        kv::AltColorList again;
        if (again.LoadFromFile(out1) != 0 || again.SaveToFile(out2) != 0)
            std::abort();
        if (ReadAll(out1) != ReadAll(out2))
            std::abort();
    }
    std::remove(in.c_str());
    std::remove(out1.c_str());
    std::remove(out2.c_str());
    return 0;
}
