// Settings texts: the lexer, expressions, the lighting and colour-list blocks and the
// projection composites of "Projection.txt". The first byte picks the reader, the rest is
// the text.
// - Lexer: every token is a known code or keyword with a text of at most kMaxTokenChars,
//   no identifier spells a keyword, and the scan ends.
// - Expressions: the value read agrees with the parsed tree (failed parse, not constant, or
//   its folded value), evaluating a tree leaves it as it was, integers convert safely.
// - Lighting and colour-list blocks: whatever a text yields writes out, and that text reads
//   back cleanly and writes out the same.
// - Composites: whatever registers projects both ways, and every instance goes back.
#include "FuzzSupport.h"

#include "base/color/CColorList.h"
#include "base/color/LightParms.h"
#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "projection/MapProject.h"
#include "projection/ProjectionRegistry.h"

#include <strings.h>

using namespace kv;

namespace {

enum Reader : unsigned { kLexer, kExpression, kLighting, kColourList, kComposites, kReaderCount };

bool IsTokenCode(int code)
{
    switch (code) {
    case kTokEnd: case kTokEndOfLine: case kTokChar: case kTokIdentifier: case kTokNumber: case kTokString:
    case kTokAt: case kTokColon: case kTokComma: case kTokLeftBrace: case kTokLeftParen: case kTokLeftBracket:
    case kTokPercent: case kTokPoint: case kTokQuestion: case kTokRightBrace: case kTokRightParen:
    case kTokRightBracket: case kTokPlus: case kTokSlash: case kTokStar: case kTokMinus:
        return true;
    default:
        return false;
    }
}

bool SpellsKeyword(const char* text)
{
    for (const KeywordEntry* k = KeywordTable; k->name[0]; ++k)
        if (strcasecmp(k->name, text) == 0)
            return true;
    return false;
}

void CheckLexer(const std::string& path, size_t size)
{
    CTokenizer tokenizer;
    FUZZ_CHECK(tokenizer.Open(path, false) == 0);
    // Every token takes at least one byte or ends a line: more tokens than that is a loop.
    const size_t limit = 2 * size + 8;
    size_t tokens = 0;
    for (int code = tokenizer.GetToken(); code != kTokEnd; code = tokenizer.NextToken()) {
        FUZZ_CHECK(++tokens <= limit);
        const char* text = tokenizer.GetTokenText();
        FUZZ_CHECK(std::strlen(text) <= static_cast<size_t>(CTokenizer::kMaxTokenChars));
        FUZZ_CHECK(IsTokenCode(code) || KeywordName(code)[0] != '\0');
        if (code == kTokIdentifier)
            FUZZ_CHECK(!SpellsKeyword(text));
    }
    FUZZ_CHECK(tokenizer.Close() == 0);
}

void CheckExpression(const std::string& text)
{
    const ExpressionPtr tree = CExpression::ParseString(text.c_str());
    const double value = EvaluateStringDouble(text.c_str());
    if (!tree) {
        FUZZ_CHECK(ExpressionError() == 1);
        FUZZ_CHECK(value == kExpressionFailed);
        FUZZ_CHECK(EvaluateStringInt(text.c_str()) == kExpressionIntFailed);
        return;
    }
    FUZZ_CHECK(ExpressionError() == 0);
    if (tree->IsConstant())
        FUZZ_CHECK(fuzz::SameValue(value, tree->Evaluate()));
    else
        FUZZ_CHECK(value == kExpressionFailed);
    const int asInt = EvaluateStringInt(text.c_str()); // UBSan checks the conversion
    if (std::isnan(value) || value >= 2147483647.0)
        FUZZ_CHECK(asInt == kExpressionIntFailed);
    // Evaluation leaves the tree as it was: the same point gives the same value.
    const ExpressionContext at{0.25, -3.0, 7.5, 1};
    const double first = tree->Evaluate(at);
    tree->Evaluate(ExpressionContext{});
    FUZZ_CHECK(fuzz::SameValue(tree->Evaluate(at), first));
}

// Reads one block from the text with a fresh object, writes the object out and returns
// that text; `result` receives ReadText's result.
template <typename T> std::string ReadAndWrite(const std::string& text, int& result)
{
    const std::string in = fuzz::WriteScratch("block.txt", text);
    CTokenizer tokenizer;
    FUZZ_CHECK(tokenizer.Open(in, false) == 0);
    T object;
    result = object.ReadText(tokenizer);
    const std::string out = fuzz::ScratchPath("block-out.txt");
    std::FILE* f = std::fopen(out.c_str(), "wb");
    FUZZ_CHECK(f != nullptr);
    FUZZ_CHECK(object.WriteText(f, tokenizer) == 0);
    FUZZ_CHECK(std::fclose(f) == 0);
    return fuzz::ReadWhole(out);
}

template <typename T> void CheckBlock(const std::string& text)
{
    int result = 0;
    const std::string written = ReadAndWrite<T>(text, result);
    FUZZ_CHECK(result == 0 || result == -1);
    FUZZ_CHECK(ReadAndWrite<T>(written, result) == written);
    FUZZ_CHECK(result == 0);
}

void CheckComposites(const std::string& text)
{
    const std::filesystem::path folder = fuzz::ScratchDir() / "projections";
    std::filesystem::create_directories(folder);
    fuzz::WriteScratch("projections/" + std::string(kCompositeDefinitionFile), text);
    ProjectionRegistry::Destroy();
    ProjectionRegistry& r = ProjectionRegistry::Get();
    FUZZ_CHECK(r.Load(folder.string()) == 0);
    const size_t baseline = r.OutstandingInstances();
    for (int id = r.FirstId(); id != ProjectionRegistry::kEndId; id = r.NextId(id)) {
        MapProject* p = r.CreateInstance(id);
        if (!p)
            continue;
        p->Init(0.1, 0.2, 0, 0, 1, 1, 0.8, 0.2);
        double x, y, lat, lon;
        for (int k = 0; k < 5; ++k) {
            p->Forward(-1.4 + 0.7 * k, -3.0 + 1.5 * k, x, y);
            p->Inverse(-1.5 + 0.75 * k, -1 + 0.5 * k, lat, lon);
        }
        FUZZ_CHECK(r.ReleaseInstance(p));
    }
    FUZZ_CHECK(r.OutstandingInstances() == baseline);
    ProjectionRegistry::Destroy();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::Selected in = fuzz::Select(data, size, kReaderCount);
    const std::string text(reinterpret_cast<const char*>(in.body), in.size);
    switch (in.choice) {
    case kLexer:
        CheckLexer(fuzz::WriteScratch("lexer.txt", text), in.size);
        break;
    case kExpression:
        CheckExpression(text); // read up to the first NUL, as a line of a file would be
        break;
    case kLighting:
        CheckBlock<LightParms>(text);
        break;
    case kColourList:
        CheckBlock<CColorList>(text);
        break;
    default:
        CheckComposites(text);
        break;
    }
    return 0;
}

namespace {

// The block an object of type T writes.
template <typename T> std::string Written(const T& object)
{
    CTokenizer tokenizer;
    const std::string out = fuzz::ScratchPath("seed-block.txt");
    std::FILE* f = std::fopen(out.c_str(), "wb");
    FUZZ_CHECK(f != nullptr && object.WriteText(f, tokenizer) == 0);
    std::fclose(f);
    return fuzz::ReadWhole(out);
}

void MakeSeeds(const fuzz::SeedWriter& seeds)
{
    seeds.Add("lexer-world", kLexer,
              "World \"Kelvane\" // a comment\n"
              "WorldNum 7, SeaPercent 70%\n"
              "Axis 23d26m21.4s, -12.5e-3 @ 0x1F [az: el] {Bias(0.3, 0.7)} ? .5 .\n"
              "'single' \"unterminated\n"
              "WorldEnd\n");
    seeds.Add("expression-arithmetic", kExpression, "2*(3+4)-8/2-1");
    seeds.Add("expression-functions", kExpression, "Bias(0.25, -(-0.5)) + az*el");
    seeds.Add("expression-huge", kExpression, "1e308*10/(2-2)");
    LightParms light;
    seeds.Add("lighting", kLighting, Written(light));
    CColorList list;
    list.FillSpectrum(0.1, 0.9, 5);
    list.SetExponent(1.7);
    list.Stop(2).SetName("mid \"stop\"");
    seeds.Add("colour-list", kColourList, Written(list));
    seeds.Add("composites", kComposites, R"(Projection 100, "Lobes"
Description "Two lobes"
Extent -2, 1, 2, -1
Segment Sinusoidal, 0, -90, 0, 0, 1, 50, 10
Offset -1, 0
Effective -180, 90, 0, -90
Exclude 1 1 0 0 0.5
EndSegment
Segment Sinusoidal 0 90 0 0 1 50 10
Offset 1 0
Scale 2 2
Rotate 90
Exclude 2 0  0.5 0  1.5 0  1.5 1  0.5 1
EndSegment
EndProjection
Projection 101 Nested
NoCache
Segment Lobes 0 0 0 0 1 30, -30
EndSegment
EndProjection
)");
}

} // namespace

KV_FUZZ_SEEDS(MakeSeeds)
