// Helpers of the libFuzzer targets: a check that stops the run (so the fuzzer keeps the
// input), scratch files of this process, and the input split into a selector and a body.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

// Aborts with the failed condition: libFuzzer reports it as a crash and keeps the input.
#define FUZZ_CHECK(cond)                                                                                  \
    do {                                                                                                  \
        if (!(cond)) {                                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);                 \
            std::abort();                                                                                 \
        }                                                                                                 \
    } while (0)

namespace fuzz {

using Bytes = std::vector<uint8_t>;

// A folder of this process, removed when it ends.
inline const std::filesystem::path& ScratchDir()
{
    struct Dir {
        std::filesystem::path path = std::filesystem::temp_directory_path() / ("kv_fuzz_" + std::to_string(getpid()));
        Dir() { std::filesystem::create_directories(path); }
        ~Dir()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    };
    static Dir dir;
    return dir.path;
}

inline std::string ScratchPath(const std::string& name)
{
    return (ScratchDir() / name).string();
}

// Writes bytes to a scratch file (replacing it) and returns its path.
inline std::string WriteScratch(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = ScratchPath(name);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, f) == size);
    FUZZ_CHECK(std::fclose(f) == 0);
    return path;
}

inline std::string WriteScratch(const std::string& name, const std::string& text)
{
    return WriteScratch(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

inline std::string ReadWhole(const std::string& path)
{
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    FUZZ_CHECK(f != nullptr);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    std::fclose(f);
    return out;
}

// The first byte chooses what the rest is fed to (modulo `choices`); an empty input
// chooses 0 with an empty body.
struct Selected {
    unsigned choice = 0;
    const uint8_t* body = nullptr;
    size_t size = 0;
};

inline Selected Select(const uint8_t* data, size_t size, unsigned choices)
{
    if (size == 0)
        return {};
    return {data[0] % choices, data + 1, size - 1};
}

// Equal, or both NaN.
inline bool SameValue(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace fuzz

// ---- seeds ----
//
// A target keeps the maker of its seed corpus beside it: run with KV_FUZZ_WRITE_SEEDS=<folder>
// it writes its seeds there and exits instead of fuzzing (see tests/fuzz/README.md).

namespace fuzz {

class SeedWriter {
public:
    explicit SeedWriter(std::string folder) : m_folder(std::move(folder))
    {
        std::filesystem::create_directories(m_folder);
    }
    void Add(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = (std::filesystem::path(m_folder) / name).string();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        FUZZ_CHECK(f != nullptr);
        FUZZ_CHECK(bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
        FUZZ_CHECK(std::fclose(f) == 0);
    }
    void Add(const std::string& name, const std::string& text) const { Add(name, Bytes(text.begin(), text.end())); }
    // A body behind the selector byte of Select().
    void Add(const std::string& name, unsigned choice, const Bytes& body) const
    {
        Bytes b{static_cast<uint8_t>(choice)};
        b.insert(b.end(), body.begin(), body.end());
        Add(name, b);
    }
    void Add(const std::string& name, unsigned choice, const std::string& text) const
    {
        Add(name, choice, Bytes(text.begin(), text.end()));
    }

private:
    std::string m_folder;
};

} // namespace fuzz

// Defines the target's libFuzzer initialiser: with KV_FUZZ_WRITE_SEEDS set, `maker`
// (void(const fuzz::SeedWriter&)) writes the seeds and the program ends.
#define KV_FUZZ_SEEDS(maker)                                                                              \
    extern "C" int LLVMFuzzerInitialize(int*, char***)                                                    \
    {                                                                                                     \
        if (const char* folder = std::getenv("KV_FUZZ_WRITE_SEEDS")) {                                    \
            maker(fuzz::SeedWriter(folder));                                                              \
            std::exit(0);                                                                                 \
        }                                                                                                 \
        return 0;                                                                                         \
    }
