#include "platform/FileMapping.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

fs::path TempDir()
{
    fs::path dir = fs::temp_directory_path() / "kv_filemapping_test";
    fs::create_directories(dir);
    return dir;
}

int OpenDescriptors()
{
    int n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

void ExpectNull(const kv::MappedFileView& m)
{
    EXPECT_EQ(m.file, -1);
    EXPECT_FALSE(m.mapping);
    EXPECT_EQ(m.view, nullptr);
    EXPECT_EQ(m.size, 0u);
}

} // namespace

TEST(FileMapping, MapsTheWholeFileAndUnmapsEveryHandle)
{
    fs::path p = TempDir() / "data.bin";
    std::ofstream(p, std::ios::binary) << "kelvane";
    const int before = OpenDescriptors();

    kv::MappedFileView m;
    ASSERT_EQ(kv::MapFileView(p.string(), kv::kPageReadOnly, m), 0);
    ASSERT_EQ(m.size, 7u);
    EXPECT_EQ(std::memcmp(m.Bytes(), "kelvane", 7), 0);
    EXPECT_TRUE(m.mapping);
    EXPECT_GE(m.file, 0);

    EXPECT_EQ(kv::UnmapFileView(m), 0);
    ExpectNull(m);
    EXPECT_EQ(OpenDescriptors(), before);
    // Nothing left to unmap: the first step fails.
    EXPECT_EQ(kv::UnmapFileView(m), -1);
}

TEST(FileMapping, CopyOnWriteViewLeavesTheFileAlone)
{
    fs::path p = TempDir() / "cow.bin";
    std::ofstream(p, std::ios::binary) << "abc";
    kv::MappedFileView m;
    ASSERT_EQ(kv::MapFileView(p.string(), kv::kPageWriteCopy, m), 0);
    static_cast<char*>(m.view)[0] = 'X';
    EXPECT_EQ(kv::UnmapFileView(m), 0);
    std::ifstream in(p, std::ios::binary);
    std::string s((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(s, "abc");
}

TEST(FileMapping, FailuresReportTheStepAndLeaveNothingOpen)
{
    fs::path dir = TempDir();
    fs::path empty = dir / "empty.bin";
    std::ofstream(empty, std::ios::binary).close();
    fs::path some = dir / "some.bin";
    std::ofstream(some, std::ios::binary) << "x";

    struct Case { std::string path; int protection; int expect; };
    const Case cases[] = {
        {(dir / "missing.bin").string(), kv::kPageReadOnly, -1},
        {dir.string(), kv::kPageReadOnly, -1},        // a folder is not a file
        {empty.string(), kv::kPageReadOnly, -2},      // nothing to map
        {some.string(), 0x04, -2},                    // a file opened for reading cannot back a shared writable mapping
    };
    const int before = OpenDescriptors();
    for (const Case& c : cases) {
        kv::MappedFileView m;
        m.file = 99; // stale values are cleared
        EXPECT_EQ(kv::MapFileView(c.path, c.protection, m), c.expect) << c.path;
        ExpectNull(m);
    }
    EXPECT_EQ(OpenDescriptors(), before);
}
