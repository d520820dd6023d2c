// Colour-to-altitude texts and colour link records, truncated, mutated and random: each is
// refused with the list or store unchanged, or loads something that writes back readably.
#include "document/AltColor.h"
#include "document/ColorLinks.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace kv;

TEST(MalformedAltColor, TruncatedMutatedAndRandomTexts)
{
    const std::string good = "AltColor\nColor 153,102,51, 100.500, 0, -2.250, 0.002\n"
                             "Color 255,0,0, 1000.000, 1, 0.000, 0.001\nEndList\n";
    const std::string path =
        (std::filesystem::temp_directory_path() / ("kv_bad_acf_" + std::to_string(::getpid()))).string();
    std::mt19937 rng(5);
    std::vector<std::string> texts;
    for (size_t cut = 0; cut < good.size(); ++cut)
        texts.push_back(good.substr(0, cut));
    const char* inserts[] = {"nan", "1e999", "\"", "//", "(((((", "\x01\xff", ",,,,", "Color", "EndList"};
    for (int i = 0; i < 400; ++i) {
        std::string t = good;
        const size_t at = rng() % t.size();
        if (i % 3 == 0)
            t[at] = static_cast<char>(rng() & 0xFF);
        else
            t.insert(at, inserts[rng() % std::size(inserts)]);
        texts.push_back(t);
    }
    for (int i = 0; i < 50; ++i) {
        std::string t(rng() % 300, '\0');
        for (char& c : t)
            c = static_cast<char>(rng() & 0xFF);
        texts.push_back(t);
    }
    texts.push_back(std::string(20000, '9'));
    for (const std::string& t : texts) {
        std::ofstream(path, std::ios::binary) << t;
        AltColorList list(1);
        list[0].color = 0xABCDEF;
        if (list.LoadFromFile(path) != 0) {
            ASSERT_EQ(list.size(), 1u);
            EXPECT_EQ(list[0].color, 0xABCDEFu);
            continue;
        }
        ASSERT_EQ(list.SaveToFile(path), 0);
        AltColorList again;
        EXPECT_EQ(again.LoadFromFile(path), 0);
        EXPECT_EQ(again.size(), list.size());
    }
    std::remove(path.c_str());
}

TEST(MalformedColorLinks, MutatedRecordsKeepTheStore)
{
    ColorLinks& links = ColorLinks::GetInstance();
    links.groups.resize(2);
    links.groups[1].links.resize(3);
    links.groups[1].links[0].targets = {"a", "b"};
    std::vector<uint8_t> good;
    {
        CArchive ar(good, CArchive::store);
        links.Serialize(ar);
    }
    std::mt19937 rng(9);
    for (int i = 0; i < 2000; ++i) {
        std::vector<uint8_t> bytes = good;
        for (int k = 0; k < 1 + i % 4; ++k)
            bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
        links.groups.assign(1, ColorLinkEntryList());
        try {
            CArchive ar(bytes.data(), bytes.size());
            links.Serialize(ar);
        } catch (const CArchiveException&) {
            EXPECT_EQ(links.groups.size(), 1u);
        }
    }
    ColorLinks::DestroyInstance();
}
