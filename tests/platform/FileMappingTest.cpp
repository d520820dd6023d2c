#include "platform/FileMapping.h"

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path TempDir()
{
    fs::path dir = fs::temp_directory_path() / ("kv_filemapping_test_" + std::to_string(::getpid()));
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

TEST(FileMapping, AFifoIsRefusedWithoutWaitingForAWriter)
{
    const fs::path fifo = TempDir() / "pipe";
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Should the open wait for a writer, a helper becomes that writer after a second, so
    // the test fails instead of hanging.
    std::mutex lock;
    std::condition_variable done;
    bool returned = false;
    std::thread rescue([&] {
        std::unique_lock<std::mutex> guard(lock);
        if (!done.wait_for(guard, std::chrono::seconds(1), [&] { return returned; })) {
            const int w = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (w >= 0)
                ::close(w);
        }
    });
    const auto start = std::chrono::steady_clock::now();
    kv::MappedFileView m;
    const int result = kv::MapFileView(fifo.string(), kv::kPageReadOnly, m);
    const auto waited = std::chrono::steady_clock::now() - start;
    {
        std::lock_guard<std::mutex> guard(lock);
        returned = true;
    }
    done.notify_one();
    rescue.join();
    EXPECT_EQ(result, -1);
    ExpectNull(m);
    EXPECT_LT(waited, std::chrono::milliseconds(900));
    fs::remove(fifo);
}
