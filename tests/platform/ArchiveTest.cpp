#include "platform/Archive.h"

#include <gtest/gtest.h>

using kv::CArchive;
using kv::CArchiveException;

TEST(Archive, NumbersAreLittleEndian)
{
    std::vector<uint8_t> buf;
    {
        CArchive ar(buf, CArchive::store);
        ar << int32_t(0x01020304) << uint16_t(0xA1B2) << double(1.0) << uint8_t(7);
    }
    const std::vector<uint8_t> expect = {0x04, 0x03, 0x02, 0x01, 0xB2, 0xA1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 7};
    EXPECT_EQ(buf, expect);
    CArchive in(buf, CArchive::load);
    int32_t i; uint16_t w; double d; uint8_t b;
    in >> i >> w >> d >> b;
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(w, 0xA1B2);
    EXPECT_EQ(d, 1.0);
    EXPECT_EQ(b, 7);
    EXPECT_THROW(in >> b, CArchiveException);
}

TEST(Archive, StringLengthPrefixes)
{
    struct Case { size_t len; std::vector<uint8_t> prefix; };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        std::string s(c.len, 'a');
        std::vector<uint8_t> buf;
        {
            CArchive ar(buf, CArchive::store);
            ar << s;
        }
        ASSERT_EQ(buf.size(), c.prefix.size() + c.len) << c.len;
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), buf.begin())) << c.len;
        CArchive in(buf, CArchive::load);
        EXPECT_EQ(in.ReadString(), s);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(Archive, BadStringsRaiseWithoutAllocating)
{
    const std::vector<std::vector<uint8_t>> bad = {
        {},                                       // nothing at all
        {0x05, 'a', 'b'},                         // shorter than its length
        {0xFF, 0x10},                             // cut inside the 2-byte length
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, // a 2 GiB claim in a 7-byte file
        {0xFF, 0xFE, 0xFF},                       // a length the writer never produces
    };
    for (const auto& bytes : bad) {
        CArchive in(bytes.data(), bytes.size());
        EXPECT_THROW(in.ReadString(), CArchiveException);
    }
}

TEST(Archive, FileRoundTrip)
{
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    {
        CArchive ar(f, CArchive::store);
        ar << std::string("FracParms") << float(2.5f) << int64_t(-5);
    }
    std::rewind(f);
    CArchive in(f, CArchive::load);
    EXPECT_EQ(in.Remaining(), 1u + 9u + 4u + 8u);
    float v; int64_t n;
    EXPECT_EQ(in.ReadString(), "FracParms");
    in >> v >> n;
    EXPECT_EQ(v, 2.5f);
    EXPECT_EQ(n, -5);
    EXPECT_THROW(in >> v, CArchiveException);
    std::fclose(f);
}

// The wide form (marker 0xFF 0xFFFE, a length in UTF-16 units, the units) is read only
// where asked for, as UTF-8; the plain reads keep refusing it. Narrow strings read the
// same either way.
TEST(Archive, WideStringsOnlyWhereAllowed)
{
    struct Case {
        std::vector<uint8_t> bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {{0xFF, 0xFE, 0xFF, 0x02, 'H', 0x00, 0xE9, 0x00}, "H\xC3\xA9"},
        {{0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},       // a surrogate pair
        {{0xFF, 0xFE, 0xFF, 0x01, 0x00, 0xDC}, "\xEF\xBF\xBD"},                      // unpaired
        {{0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 0x41, 0x00}, "A"},                     // 2-byte length
        {{0x02, 'o', 'k'}, "ok"},
    };
    for (const Case& c : cases) {
        CArchive wide(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(wide.ReadStringAllowWide(), c.utf8);
        EXPECT_EQ(wide.Remaining(), 0u);
        if (c.bytes[0] == 0xFF) {
            CArchive plain(c.bytes.data(), c.bytes.size());
            EXPECT_THROW(plain.ReadString(), CArchiveException);
        }
    }
    // A wide length beyond the bytes left is refused before anything is allocated.
    const std::vector<uint8_t> huge{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 0};
    CArchive in(huge.data(), huge.size());
    EXPECT_THROW(in.ReadStringAllowWide(), CArchiveException);
}
