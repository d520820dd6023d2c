#include "platform/AtomicFile.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

static std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(AtomicFile, CommitReplacesAndDiscardKeepsTheOldFile)
{
    fs::path dir = fs::temp_directory_path() / ("kv_atomic_test_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::path target = dir / "out.bin";
    std::ofstream(target) << "old";

    {
        kv::AtomicFile f;
        ASSERT_TRUE(f.Open(target.string()));
        std::fputs("half", f.File());
        // destroyed without Commit: the old file stays and no temporary is left
    }
    EXPECT_EQ(ReadAll(target), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    const mode_t oldMask = umask(022);
    kv::AtomicFile f;
    ASSERT_TRUE(f.Open(target.string()));
    umask(oldMask);
    std::fputs("new", f.File());
    ASSERT_TRUE(f.Commit());
    EXPECT_EQ(ReadAll(target), "new");
    // The saved file is readable by others like any file the user makes, not private.
    EXPECT_NE(fs::status(target).permissions() & fs::perms::others_read, fs::perms::none);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);

    kv::AtomicFile bad;
    EXPECT_FALSE(bad.Open((dir / "missing-folder" / "x.bin").string()));
    fs::remove_all(dir);
}
