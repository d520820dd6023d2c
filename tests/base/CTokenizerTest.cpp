#include "base/text/CTokenizer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace kv;

namespace {

struct Tok {
    int code;
    std::string text;
    double number;
    bool operator==(const Tok& o) const { return code == o.code && text == o.text && number == o.number; }
};

std::ostream& operator<<(std::ostream& os, const Tok& t) { return os << "{" << t.code << ", \"" << t.text << "\", " << t.number << "}"; }

std::vector<Tok> Drain(CTokenizer& t, std::size_t limit = 100000)
{
    std::vector<Tok> out;
    while (t.GetToken() != kTokEnd && out.size() < limit) {
        out.push_back({t.GetToken(), t.GetTokenText(), t.GetNumber()});
        t.NextToken();
    }
    return out;
}

std::vector<Tok> LineTokens(const char* line)
{
    CTokenizer t;
    t.LoadLine(line);
    return Drain(t);
}

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(KV_TEST_BINARY_DIR);
    const std::string path = std::string(KV_TEST_BINARY_DIR) + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

} // namespace

TEST(KeywordTable, EveryNameReadsBackAsItsIdInAnyCase)
{
    std::set<std::string> names;
    int count = 0;
    for (const KeywordEntry* e = KeywordTable; e->name[0] != '\0'; ++e, ++count) {
        EXPECT_TRUE(names.insert(e->name).second) << e->name;
        EXPECT_EQ(KeywordName(e->id), std::string(e->name));
        std::string upper = e->name, lower = e->name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        CTokenizer t;
        EXPECT_EQ(t.LoadLine(upper.c_str()), e->id) << upper;
        EXPECT_EQ(t.GetTokenText(), upper); // the text keeps the spelling as written
        EXPECT_EQ(t.LoadLine(lower.c_str()), e->id) << lower;
    }
    EXPECT_EQ(count, 123);

    // Ids of the readers' keywords, from each reader's list.
    const std::pair<const char*, int> known[] = {
        {"az", 60}, {"el", 61}, {"Bias", 33}, {"ColorList", 100}, {"ColorListEnd", 103}, {"SeaFloat", 115},
        {"SeaEqual", 114}, {"BlendLat", 188}, {"BlendFacingSVal", 140}, {"ClimateList", 194}, {"Misc", 199},
        {"Climate", 166}, {"Axis", 165}, {"Scale", 81}, {"NoCache", 180}, {"EndRectGrid", 184}, {"End", 187},
        {"SCurve", 47}, {"Kernel", 79}, {"XSize", 64}, {"YSize", 65}, {"GaiaParms", 198}, {"Lo", 89}};
    for (const auto& [name, id] : known)
        EXPECT_EQ(CTokenizer().LoadLine(name), id) << name;
    EXPECT_EQ(kw::ColorList, 100);
    EXPECT_EQ(kw::az, 60);
    EXPECT_EQ(KeywordTable[0].name, std::string("az"));
    EXPECT_EQ(KeywordTable[122].name, std::string("YSize"));
}

TEST(KeywordTable, NamesOfPunctuationAndUserSymbols)
{
    const std::pair<int, const char*> cases[] = {
        {7, "@"}, {9, ":"}, {10, ","}, {11, "*/"}, {12, "/*"}, {13, "//"}, {14, "{"}, {15, "("}, {16, "["},
        {17, ""}, {18, ""}, {19, "?"}, {20, "}"}, {21, ")"}, {22, "]"}, {23, "+"}, {24, "/"}, {25, "*"},
        {26, "-"}, {28, "-"}, {0, ""}, {4, ""}, {27, ""}, {34, ""}, {-5, ""}, {2047, ""}};
    CTokenizer t;
    for (const auto& [id, name] : cases)
        EXPECT_EQ(t.GetKeywordName(id), name) << id;

    EXPECT_EQ(t.GetKeywordName(2048), "");
    EXPECT_EQ(t.SetSymbol(2047, "x"), -1);
    EXPECT_EQ(t.SetSymbol(65536, "x"), -2);
    EXPECT_EQ(t.ClearSymbol(2047), -1);
    EXPECT_EQ(t.ClearSymbol(65536), -2);
    EXPECT_EQ(t.ClearSymbol(2050), -3);
    EXPECT_EQ(t.SetSymbol(2050, "river"), 0);
    EXPECT_EQ(t.SetSymbol(65535, "last"), 0);
    EXPECT_EQ(t.GetKeywordName(2050), "river");
    EXPECT_EQ(t.GetKeywordName(2049), "");
    EXPECT_EQ(t.GetKeywordName(65535), "last");
    EXPECT_EQ(t.ClearSymbol(2050), 0);
    EXPECT_EQ(t.GetKeywordName(2050), "");
    t.ClearSymbols();
    EXPECT_EQ(t.GetKeywordName(65535), "");
    EXPECT_EQ(t.ClearSymbol(2048), -3);
}

TEST(CTokenizer, ScansEveryKindOfToken)
{
    const std::vector<Tok> expect = {
        {100, "cOLORlist", 0}, {3, "ColorList2", 0}, {3, "_x1", 0},
        {4, ".5", 0.5}, {18, ".", 0}, {4, "3.25e-2", 0.0325}, {4, "7.", 7},
        {4, "1e", 1}, {23, "+", 0}, {4, "5", 5},            // '+' is not part of an exponent
        {6, "a b", 0}, {6, "it\"s", 0}, {6, "", 0},
        {7, "@", 0}, {9, ":", 0}, {10, ",", 0}, {14, "{", 0}, {15, "(", 0}, {16, "[", 0}, {17, "%", 0},
        {19, "?", 0}, {20, "}", 0}, {22, "]", 0}, {21, ")", 0}, {23, "+", 0}, {24, "/", 0}, {25, "*", 0},
        {26, "-", 0}, {2, "#", 0}, {2, "\xC3", 0}, {2, "\xA9", 0}};
    EXPECT_EQ(LineTokens("cOLORlist ColorList2 _x1 .5 . 3.25e-2 7. 1e+5 \"a b\" 'it\"s' \"\" @:,{([%?}])+/*-#\xC3\xA9"),
              expect);
}

TEST(CTokenizer, AngleSuffixesAddUp)
{
    struct Case { const char* line; std::vector<Tok> expect; };
    const Case cases[] = {
        {"12d30m", {{4, "12d30m", 12.5}}},
        {"12d 30m 36s", {{4, "12d 30m 36s", 12.51}}},
        {"90D 30' 36\"", {{4, "90D 30' 36\"", 90.51}}},
        {"5m", {{4, "5m", 5.0 / 60}}},
        {"7200S", {{4, "7200S", 2.0}}},
        {"1.5d,", {{4, "1.5d", 1.5}, {10, ",", 0}}},
        // A bare number after an angle is a number of its own.
        {"12d 30", {{4, "12d ", 12}, {4, "30", 30}}},
        {"12d30 m", {{4, "12d", 12}, {4, "30", 30}, {3, "m", 0}}},
        // A unit letter needs the number right before it.
        {"10 d", {{4, "10", 10}, {3, "d", 0}}},
        {"4x", {{4, "4", 4}, {3, "x", 0}}},
    };
    for (const Case& c : cases) {
        const std::vector<Tok> got = LineTokens(c.line);
        ASSERT_EQ(got.size(), c.expect.size()) << c.line;
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].code, c.expect[i].code) << c.line;
            EXPECT_EQ(got[i].text, c.expect[i].text) << c.line;
            EXPECT_DOUBLE_EQ(got[i].number, c.expect[i].number) << c.line;
        }
    }
}

TEST(CTokenizer, ReadsFilesLineByLine)
{
    const std::string text = "Seed 5 // the seed\n\n \t \r\n\x01\x02\nColorList 'x' \"unterminated\n  End\n";
    const std::string path = WriteFile("lexer-lines.txt", text);

    CTokenizer strip;
    ASSERT_EQ(strip.Open(path, true), 0);
    EXPECT_EQ(strip.GetLineCount(), 1);
    const std::vector<Tok> stripped = {{kw::Seed, "Seed", 0}, {4, "5", 5}, {kw::ColorList, "ColorList", 0},
                                       {6, "x", 0}, {6, "unterminated ", 0}, {kw::End, "End", 0}};
    EXPECT_EQ(Drain(strip), stripped);
    EXPECT_EQ(strip.GetLineCount(), 6); // blank and control-only lines are counted
    EXPECT_EQ(strip.NextToken(), kTokEnd);
    EXPECT_EQ(strip.ReadLine(), nullptr);
    EXPECT_STREQ(strip.GetTokenText(), "");

    CTokenizer keep;
    ASSERT_EQ(keep.Open(path, false), 0);
    const std::vector<Tok> kept = Drain(keep);
    ASSERT_GE(kept.size(), 6u);
    EXPECT_EQ(kept[2], (Tok{24, "/", 0}));
    EXPECT_EQ(kept[3], (Tok{24, "/", 0}));
    EXPECT_EQ(kept[4], (Tok{3, "the", 0}));
    EXPECT_EQ(kept[5], (Tok{kw::Seed, "seed", 0}));

    // ReadLine returns the cleaned line and moves to its first token.
    CTokenizer lines;
    ASSERT_EQ(lines.Open(path, true), 0);
    const char* second = lines.ReadLine();
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second, "ColorList 'x' \"unterminated ");
    EXPECT_EQ(lines.GetToken(), kw::ColorList);

    // Open / Close results.
    EXPECT_EQ(lines.Open(path, true), -1);
    EXPECT_EQ(lines.GetToken(), kw::ColorList); // the open file stays
    lines.SetSymbol(2048, "s");
    EXPECT_EQ(lines.Close(), 0);
    EXPECT_EQ(lines.Close(), -1);
    EXPECT_EQ(lines.GetToken(), kTokEnd);
    EXPECT_EQ(lines.GetKeywordName(2048), "");
    EXPECT_EQ(lines.Open(path + ".missing", true), -2);
    EXPECT_FALSE(lines.IsOpen());
    EXPECT_EQ(lines.Open(KV_TEST_BINARY_DIR, true), -2); // a directory is no text file
    EXPECT_FALSE(lines.IsOpen());

    CTokenizer empty;
    ASSERT_EQ(empty.Open(WriteFile("lexer-empty.txt", ""), false), 0);
    EXPECT_EQ(empty.GetToken(), kTokEnd);
    EXPECT_EQ(empty.GetLineCount(), 0);
}

TEST(CTokenizer, LongLinesAndTokensAreCutNotOverrun)
{
    // A physical line of 10000 letters arrives as lines of at most 4094 characters; each is one
    // identifier whose text keeps 2047 characters.
    const std::string path = WriteFile("lexer-long.txt", std::string(10000, 'a') + "\nSeed\n");
    CTokenizer t;
    ASSERT_EQ(t.Open(path, false), 0);
    const std::vector<Tok> toks = Drain(t);
    ASSERT_EQ(toks.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(toks[i].code, kTokIdentifier);
        EXPECT_EQ(toks[i].text.size(), i < 2 ? 2047u : 10000u - 2 * 4094u);
    }
    EXPECT_EQ(toks[3].code, kw::Seed);
    EXPECT_EQ(t.GetLineCount(), 4);

    // Strings and numbers longer than the token text; a string line keeps 4094 characters.
    const std::string longString = "\"" + std::string(5000, 'q') + "\" 7";
    CTokenizer s;
    EXPECT_EQ(s.LoadLine(longString.c_str()), kTokString);
    EXPECT_EQ(std::string(s.GetTokenText()), std::string(2047, 'q'));
    EXPECT_EQ(s.NextToken(), kTokEnd); // the rest of the text was beyond the line's 4094 characters

    const std::string digits = std::string(3000, '1') + " x";
    EXPECT_EQ(s.LoadLine(digits.c_str()), kTokNumber);
    EXPECT_EQ(std::string(s.GetTokenText()).size(), 2047u);
    EXPECT_GT(s.GetNumber(), 1e299);
    EXPECT_EQ(s.NextToken(), kTokIdentifier);
}

TEST(CTokenizer, NulBytesAndRandomBytesGiveAWellFormedStream)
{
    const std::string path = WriteFile("lexer-nul.txt", std::string("Seed\0 5\0\0\nEnd", 14));
    CTokenizer t;
    ASSERT_EQ(t.Open(path, false), 0);
    const std::vector<Tok> expect = {{kw::Seed, "Seed", 0}, {4, "5", 5}, {kw::End, "End", 0}};
    EXPECT_EQ(Drain(t), expect);

    std::mt19937 gen(99);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(20000, '\0');
        for (char& c : bytes)
            c = static_cast<char>(gen() & 0xFF);
        CTokenizer r;
        ASSERT_EQ(r.Open(WriteFile("lexer-random.bin", bytes), round % 2 == 0), 0);
        for (const Tok& tok : Drain(r)) {
            ASSERT_LE(tok.text.size(), 2047u);
            ASSERT_NE(tok.code, kTokEndOfLine);
            ASSERT_TRUE(tok.code == 2 || tok.code == 3 || tok.code == 4 || tok.code == 6 ||
                        (tok.code >= 7 && tok.code <= 26) || (tok.code >= 33 && tok.code <= 199))
                << tok.code;
        }
        EXPECT_EQ(r.GetToken(), kTokEnd);
    }
}
