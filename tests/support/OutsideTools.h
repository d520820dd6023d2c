// Runs outside programs that check our files (image and scene readers, raster tools) and
// scratch folders for their files. A missing program fails the test that needs it:
// scripts/install-deps.sh installs them all.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// True when `program` is found on the PATH.
inline bool HaveTool(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command, capturing its standard output and error.
inline ToolRun RunTool(const std::string& command)
{
    static int counter = 0;
    const std::string errPath = "/tmp/kv_tool_err_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    ToolRun run;
    std::FILE* p = ::popen((command + " 2>" + errPath).c_str(), "r");
    if (p == nullptr)
        return run;
    std::array<char, 4096> buffer;
    size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        run.out.append(buffer.data(), got);
    const int status = ::pclose(p);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath, std::ios::binary);
    std::stringstream s;
    s << err.rdbuf();
    run.err = s.str();
    std::remove(errPath.c_str());
    return run;
}

#define REQUIRE_TOOL(program) \
    ASSERT_TRUE(HaveTool(program)) << program << " is missing: run scripts/install-deps.sh"

// A scratch folder removed with the object.
struct ScratchFolder {
    ScratchFolder()
    {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() /
               ("kv_scratch_" + std::to_string(getpid()) + "_" + std::to_string(++counter));
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}
