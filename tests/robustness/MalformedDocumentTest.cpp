// Damaged world document files (".kvw") and view blocks, and a damaged or unwritable
// "Default.srf". A file either loads or raises the archive error; a refused file leaves the
// document exactly as it was (it stores the same bytes, no run value is switched on) and
// allocates nothing it has no bytes for. The cases are seeded, so every run sees the same.
#include "ArchiveBytes.h"
#include "DocumentFixtures.h"

#include "document/CKVDoc.h"
#include "platform/Archive.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace kv;
using Bytes = std::vector<uint8_t>;

namespace {

class MalformedDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        source.OnNewDocument();
        PopulateDocument(source);
        // Fewer octaves keep the recalculation after every accepted case short.
        source.GetWorld().sourceParms.octaves = 2.0;
        source.RecalculateWorld();
        target.OnNewDocument();
        PopulateDocument(target);
        before = StoreBytes(target);
    }

    // Loads the bytes; true when accepted. A refusal must be the archive error and leave the
    // target as it was; an accepted file must store and load again.
    bool Load(const Bytes& bytes)
    {
        try {
            LoadBytes(target, bytes);
        } catch (const CArchiveException&) {
            EXPECT_EQ(StoreBytes(target), before);
            EXPECT_FALSE(CKVDoc::RecalculatesTwice());
            return false;
        }
        const Bytes written = StoreBytes(target);
        ClearRunValues();
        CKVDoc again;
        LoadBytes(again, written);
        EXPECT_EQ(StoreBytes(again), written);
        // The next case starts from what loaded.
        before = written;
        ClearRunValues();
        return true;
    }

    DocumentEnvironment env;
    HintRecorder hints;
    CKVDoc source;
    CKVDoc target;
    Bytes before;
};

} // namespace

TEST_F(MalformedDocumentTest, EveryTruncationIsRefused)
{
    for (uint32_t version : {264u, 200u}) {
        const Bytes file = FileOfVersion(source, version);
        ASSERT_TRUE(Load(file));
        for (size_t n = 0; n < file.size(); ++n) {
            SCOPED_TRACE(n);
            ASSERT_FALSE(Load(Bytes(file.begin(), file.begin() + static_cast<long>(n))));
        }
    }
}

TEST_F(MalformedDocumentTest, MutatedFilesLoadOrAreRefused)
{
    std::mt19937 random(17);
    const Bytes files[] = {FileOfVersion(source, 264), FileOfVersion(source, 259)};
    int refused = 0;
    for (int i = 0; i < 80; ++i) {
        Bytes bytes = files[i % 2];
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0: bytes[at] = static_cast<uint8_t>(random()); break;
            case 1: bytes[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
            default: std::memset(&bytes[at], 0xFF, std::min<size_t>(4, bytes.size() - at)); break;
            }
        }
        SCOPED_TRACE(i);
        refused += !Load(bytes);
    }
    EXPECT_GT(refused, 0);
}

TEST_F(MalformedDocumentTest, RandomBytesBehindAValidVersion)
{
    std::mt19937 random(1717);
    for (int i = 0; i < 150; ++i) {
        Bytes bytes(4 + random() % 600);
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        const uint32_t version = 255 + random() % 12;
        std::memcpy(bytes.data(), &version, 4);
        SCOPED_TRACE(i);
        Load(bytes);
    }
}

TEST_F(MalformedDocumentTest, HugeLengthsAndCountsAreRefusedBeforeAllocating)
{
    const Bytes file = FileOfVersion(source, 264);
    // Where the view block starts: after the header and the world record.
    Bytes head;
    {
        CArchive ar(head, CArchive::store);
        ar << uint32_t(264) << int32_t(0) << int32_t(0) << int32_t(0) << int32_t(0) << int32_t(0) << 0.0 << 0.0
           << uint32_t(0) << uint32_t(0);
        source.GetWorld().Serialize(ar);
    }
    const size_t lightLengthAt = head.size() + 4 * 7 + 8 * 7;
    uint32_t lightLength = 0;
    std::memcpy(&lightLength, &file[lightLengthAt], 4);
    const size_t savedViewCountAt = lightLengthAt + 4 + lightLength + 16 + 4;

    struct Patch {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Patch patches[] = {{"light text length", lightLengthAt, 0xFFFFFFF0u},
                             {"light text length one past the end", lightLengthAt, uint32_t(file.size())},
                             {"saved view count", savedViewCountAt, 0x7FFFFFFFu},
                             {"negative saved view count", savedViewCountAt, 0x80000000u}};
    for (const Patch& p : patches) {
        SCOPED_TRACE(p.what);
        Bytes bytes = file;
        std::memcpy(&bytes[p.at], &p.value, 4);
        EXPECT_FALSE(Load(bytes));
    }
}

TEST_F(MalformedDocumentTest, FilesOnDiskThatCannotBeRead)
{
    MessageRecorder messages;
    const std::string path = (env.folder / "bad.kvw").string();
    Bytes file = FileOfVersion(source, 264);
    file.resize(file.size() / 2);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                static_cast<std::streamsize>(file.size()));
    target.SetPathName((env.folder / "kept.kvw").string());
    EXPECT_FALSE(target.OnOpenDocument(path));
    EXPECT_FALSE(target.OnOpenDocument((env.folder / "missing.kvw").string()));
    EXPECT_FALSE(target.OnOpenDocument(env.folder.string()));
    const std::string fifo = (env.folder / "pipe.kvw").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(target.OnOpenDocument(fifo)); // refused at once, not waiting for a writer
    EXPECT_EQ(messages.texts.size(), 4u);
    EXPECT_EQ(StoreBytes(target), before);
    EXPECT_EQ(target.GetTitle(), "kept.kvw");
    // Saving where no file can be made reports it and keeps the document modified.
    target.SetModifiedFlag(true);
    EXPECT_FALSE(target.OnSaveDocument((env.folder / "no-folder" / "x.kvw").string()));
    EXPECT_TRUE(target.IsModified());
}

TEST_F(MalformedDocumentTest, BadDefaultParmsKeepTheDefaults)
{
    const SurfMap defaults;
    const char* texts[] = {"\x01\x02\x03 binary junk \xFF",
                           "FracParms\nWorld 50, 1, 2\n"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        std::ofstream(env.DefaultParms(), std::ios::binary) << text;
        CKVDoc::SetFirstDocument(true);
        CKVDoc doc;
        doc.OnNewDocument();
        EXPECT_EQ(doc.GetWorld().maxAltitude, defaults.maxAltitude);
        EXPECT_EQ(doc.GetWorld().landSize, defaults.landSize);
    }
    // A folder where the file should be: nothing read, nothing written, no message.
    std::filesystem::remove(env.DefaultParms());
    std::filesystem::create_directory(env.DefaultParms());
    MessageRecorder messages;
    {
        CKVDoc::SetFirstDocument(true);
        CKVDoc doc;
        doc.OnNewDocument();
        EXPECT_EQ(doc.GetWorld().waterPercent, defaults.waterPercent);
        EXPECT_FALSE(doc.WriteDefaultParms());
    }
    EXPECT_TRUE(std::filesystem::is_directory(env.DefaultParms()));
    EXPECT_TRUE(messages.texts.empty());
}
