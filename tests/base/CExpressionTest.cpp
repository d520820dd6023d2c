#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace kv;

namespace {

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(KV_TEST_BINARY_DIR);
    const std::string path = std::string(KV_TEST_BINARY_DIR) + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

} // namespace

TEST(CExpression, EvaluatesConstantText)
{
    struct Case { std::string text; double value; };
    const Case cases[] = {
        {"1.5", 1.5},
        {"(1.5", 1.5},            // a missing ')' is accepted
        {"-304.8", -304.8},
        {"+-+3", -3},
        {"2*3+4", 10},
        {"2+3*4", 14},
        {"2*(3+4)", 14},
        {"8-2-1", 5},             // equal precedence groups from the left
        {"10-4+3", 9},
        {"8/2/2", 2},
        {"24/4*2", 12},
        {"6/0", 0},
        {"0/0", 0},
        {"6/1e-9", 1e20},
        {"-6/1e-9", -1e20},
        {"6/-1e-9", -1e20},
        {"1/1e-7", 1e7},          // at 1e-7 the division is done
        {"Bias(0.25, 0.5)", 0.25},
        {"bias(0.25 0.5)", 0.25}, // operands may follow without a comma
        {"Bias(0.5, 0.25)", 0.25},
        {"Bias(0.5,0.25", 0.25},
        {"12d30m*2", 25},
        {"Bias(1 2 3 4 5 6 7 8 9 10)", 1},
        {Repeat("1+", 1500) + "1", 1501},
        {Repeat("(", 200) + "5" + Repeat(")", 200), 5},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(EvaluateStringDouble(c.text.c_str()), c.value) << c.text;
        EXPECT_EQ(ExpressionError(), 0) << c.text;
    }

    ExpressionPtr negative = CExpression::ParseString("-304.8");
    ASSERT_TRUE(negative);
    EXPECT_TRUE(negative->IsConstant());
    EXPECT_EQ(negative->GetKind(), CExpression::kConstantNode);
}

TEST(CExpression, FailuresAndNonConstantTrees)
{
    const std::string failing[] = {
        "foo", "", "   ", "ColorList", "Bias 1", "Bias()", "Bias(1,,2)", "(", "1+", "*2", "2*", ")",
        "\"text\"",
        "Bias(1 2 3 4 5 6 7 8 9 10 11)",                  // more operands than a node holds
        Repeat("(", 300) + "5" + Repeat(")", 300),         // nesting too deep
        Repeat("(", 4000),
        Repeat("-", 4000) + "1",
        Repeat("az+", 400) + "az",                         // tree too tall
    };
    for (const std::string& text : failing) {
        EXPECT_EQ(EvaluateStringDouble(text.c_str()), 1e20) << text;
        EXPECT_EQ(ExpressionError(), 1) << text;
        EXPECT_EQ(EvaluateStringInt(text.c_str()), 2147483647) << text;
        EXPECT_EQ(ExpressionError(), 1) << text;
        EXPECT_FALSE(CExpression::ParseString(text.c_str())) << text;
    }

    for (const char* text : {"az", "el*2", "1+az", "Bias(az, 0.5)"}) {
        EXPECT_EQ(EvaluateStringDouble(text), 1e20) << text;
        EXPECT_EQ(ExpressionError(), 0) << text;
        EXPECT_EQ(EvaluateStringInt(text), 2147483647) << text;
        EXPECT_EQ(ExpressionError(), 0) << text;
    }
}

TEST(CExpression, IntegerReads)
{
    struct Case { const char* text; int value; };
    const Case cases[] = {
        {"3.9", 3}, {"-3.9", -3}, {"7", 7}, {"1e12", 2147483647}, {"2147483647", 2147483647},
        {"2147483646.9", 2147483646}, {"-1e12", -2147483647}, {"-2147483647", -2147483647},
        {"-2147483646.5", -2147483646},
        {"Bias(-1, 0.3)", 2147483647}, // not a number
    };
    for (const Case& c : cases)
        EXPECT_EQ(EvaluateStringInt(c.text), c.value) << c.text;
}

TEST(CExpression, VariablesComeFromTheCallersContext)
{
    ExpressionPtr tree = CExpression::ParseString("az*2 + el");
    ASSERT_TRUE(tree);
    EXPECT_FALSE(tree->IsConstant());
    const double pi = std::acos(-1.0);
    EXPECT_DOUBLE_EQ(tree->EvaluateAt(0, 1, 1, 0), pi / 2);            // atan2(1, 1) * 2 + 0
    EXPECT_DOUBLE_EQ(tree->EvaluateAt(1, 1, 0, 1), pi / 4);            // 0 + atan2(1, 1)
    EXPECT_DOUBLE_EQ(tree->EvaluateAt(0, 0, -2, 0), -pi);
    EXPECT_DOUBLE_EQ(tree->Evaluate(), 0.0);

    // Several threads evaluate one tree at once, each with its own variables.
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 20000; ++i) {
                const double x = std::cos(t + i * 1e-3), y = std::sin(t + i * 1e-3);
                const double expect = 2 * std::atan2(y, x) + std::atan2(0.5, std::sqrt(x * x + y * y));
                if (tree->Evaluate(ExpressionContext{x, y, 0.5, 0}) != expect)
                    ++wrong[t];
            }
        });
    for (std::thread& th : threads)
        th.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));

    // Trees built by hand evaluate the same way.
    ExpressionPtr made = CExpression::MakeBinary(kTokMinus, CExpression::MakeConstant(8),
                                                 CExpression::MakeUnary(kTokUnaryMinus, CExpression::MakeConstant(3)));
    EXPECT_DOUBLE_EQ(made->Evaluate(), 11);
    ExpressionPtr f = CExpression::MakeFunction(kw::Bias);
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(f->AddOperand(CExpression::MakeConstant(0.5)));
    EXPECT_FALSE(f->AddOperand(CExpression::MakeConstant(0.5)));
    EXPECT_DOUBLE_EQ(f->Evaluate(), 0.5);
    EXPECT_DOUBLE_EQ(CExpression().Evaluate(), 0.0);
}

TEST(CExpression, ReadsFromTheTokenizerAcrossLines)
{
    const std::string path = WriteFile("expr-read.txt", "Gamma 2*3 Levels (4 Name\nSeed 1 +\n\n  2 * 3\nEnd Value foo End\n");
    CTokenizer t;
    ASSERT_EQ(t.Open(path, false), 0);
    EXPECT_EQ(t.GetToken(), kw::Gamma);
    t.NextToken();
    EXPECT_DOUBLE_EQ(ReadExpressionDouble(t), 6);
    EXPECT_EQ(t.GetToken(), kw::Levels);
    t.NextToken();
    EXPECT_EQ(ReadExpressionInt(t), 4);
    EXPECT_EQ(t.GetToken(), kw::Name);
    t.NextToken();
    EXPECT_EQ(t.GetToken(), kw::Seed);
    t.NextToken();
    EXPECT_EQ(ReadExpressionInt(t), 7); // the sum continues over the line end and a blank line
    EXPECT_EQ(ExpressionError(), 0);
    EXPECT_EQ(t.GetToken(), kw::End);
    t.NextToken();
    t.NextToken();
    EXPECT_EQ(ReadExpressionDouble(t), 1e20);
    EXPECT_EQ(ExpressionError(), 1);
    EXPECT_EQ(t.GetToken(), kTokIdentifier); // a failed read leaves the offending token
}

TEST(CExpression, BadFilesFailCleanly)
{
    // Deep parentheses over many lines stop at the nesting limit.
    CTokenizer deep;
    ASSERT_EQ(deep.Open(WriteFile("expr-deep.txt", Repeat(Repeat("(", 1000) + "\n", 200)), false), 0);
    EXPECT_EQ(ReadExpressionDouble(deep), 1e20);
    EXPECT_EQ(ExpressionError(), 1);

    // Random bytes: read expressions until the end, stepping over whatever fails.
    std::mt19937 gen(7);
    for (int round = 0; round < 10; ++round) {
        std::string bytes(20000, '\0');
        for (char& c : bytes) {
            const unsigned r = gen() % 4;
            c = r == 0 ? "()+-*/,.0123456789 "[gen() % 20] : static_cast<char>(gen() & 0xFF);
        }
        CTokenizer t;
        ASSERT_EQ(t.Open(WriteFile("expr-random.bin", bytes), false), 0);
        int reads = 0;
        while (t.GetToken() != kTokEnd && reads < 100000) {
            ReadExpressionDouble(t);
            if (ExpressionError())
                t.NextToken();
            ++reads;
        }
        EXPECT_EQ(t.GetToken(), kTokEnd);
    }
}

TEST(EscapeText, EscapesQuotesBackslashesAndUnprintableBytes)
{
    EXPECT_EQ(EscapeText(std::string("a \"b\" 'c' \\d\te\x01\x7F\xFF\n", 18)),
              "a \\\"b\\\" \\'c\\' \\\\d\te\\x01\\x7F\\xFF\\x0A");
    EXPECT_EQ(EscapeText(std::string("\0z", 2)), "\\x00z");
    EXPECT_EQ(EscapeText(""), "");
}

TEST(CExpressionBrushVariablesTest, OnlyBrushParsesKnowXYR)
{
    const kv::ExpressionPtr e = kv::CExpression::ParseString("1-r+x*y", kv::CExpression::kBrushVariables);
    ASSERT_TRUE(e);
    kv::ExpressionContext at;
    at.x = 0.6;
    at.y = 0.8;
    EXPECT_DOUBLE_EQ(e->Evaluate(at), 1.0 - 1.0 + 0.48);
    EXPECT_FALSE(e->IsConstant());
    // A settings file's number cannot name them.
    EXPECT_FALSE(kv::CExpression::ParseString("1-r"));
    EXPECT_EQ(kv::EvaluateStringDouble("x"), kv::kExpressionFailed);
    EXPECT_EQ(kv::ExpressionError(), 1);
    EXPECT_FALSE(kv::CExpression::ParseString("1-q", kv::CExpression::kBrushVariables));
}
