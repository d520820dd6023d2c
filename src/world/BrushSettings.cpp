#include "world/BrushSettings.h"

#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kv {

namespace {

bool ReadFloat(CTokenizer& t, float& out)
{
    const double v = ReadExpressionDouble(t);
    if (ExpressionError() || v == kExpressionFailed || !std::isfinite(static_cast<float>(v)))
        return false;
    out = static_cast<float>(v);
    return true;
}

bool ReadInt(CTokenizer& t, int& out)
{
    const int v = ReadExpressionInt(t);
    if (ExpressionError() || v == kExpressionIntFailed)
        return false;
    out = v;
    return true;
}

// A stamp size: any finite number, held within 1..512 (whole stamp cells).
bool ReadSize(CTokenizer& t, int& out)
{
    const double v = ReadExpressionDouble(t);
    if (ExpressionError() || v == kExpressionFailed || !std::isfinite(v))
        return false;
    out = static_cast<int>(std::clamp(v, double(brush::kMinSize), double(brush::kMaxSize)));
    return true;
}

bool ReadString(CTokenizer& t, std::string& out)
{
    t.SkipLineEnds();
    if (t.GetToken() != kTokString)
        return false;
    out = t.GetTokenText();
    t.NextToken();
    return true;
}

} // namespace

std::string BrushSettings::WriteText() const
{
    auto f = [](int id, float v) { return FormatC("%s %0.5f\n", KeywordName(id), v); };
    auto i = [](int id, int v) { return FormatC("%s %d\n", KeywordName(id), v); };
    auto s = [](int id, const std::string& v) { return FormatC("%s %s\n", KeywordName(id), QuoteTokenString(v).c_str()); };
    std::string out = FormatC("%s\n", KeywordName(kw::Brush));
    out += f(kw::Value, value);
    out += i(kw::XSize, width);
    out += i(kw::YSize, height);
    out += f(kw::Bias, bias);
    out += i(kw::Type, type);
    out += i(kw::AutoRotate, autoRotate ? 1 : 0);
    out += i(kw::AllPoints, allPoints ? 1 : 0);
    out += s(kw::MaskExpr, maskExpression);
    out += s(kw::DataExpr, dataExpression);
    out += s(kw::FileName, fileName);
    out += f(kw::Flow, flow);
    out += i(kw::FadeSteps, fadeSteps);
    out += FormatC("%s\n", KeywordName(kw::Kernel));
    ConvolutionKernel::AppendText(out);
    out += FormatC("%s\n", KeywordName(kw::BrushEnd));
    return out;
}

int BrushSettings::ReadText(CTokenizer& t)
{
    BrushSettings read = *this;
    t.SkipLineEnds();
    if (t.GetToken() == kw::Brush)
        t.NextToken();
    for (;;) {
        t.SkipLineEnds();
        const int code = t.GetToken();
        if (code == kTokEnd)
            break;
        if (code == kw::BrushEnd) {
            t.NextToken();
            break;
        }
        if (code != kw::Value && code != kw::Bias && code != kw::Flow && code != kw::XSize && code != kw::YSize &&
            code != kw::Type && code != kw::FadeSteps && code != kw::AutoRotate && code != kw::AllPoints &&
            code != kw::MaskExpr && code != kw::DataExpr && code != kw::FileName && code != kw::Kernel) {
            t.NextToken(); // an unknown word
            continue;
        }
        t.NextToken();
        bool ok = true;
        int n = 0;
        switch (code) {
        case kw::Value: ok = ReadFloat(t, read.value); break;
        case kw::Bias: ok = ReadFloat(t, read.bias); break;
        case kw::Flow: ok = ReadFloat(t, read.flow); break;
        case kw::XSize: ok = ReadSize(t, read.width); break;
        case kw::YSize: ok = ReadSize(t, read.height); break;
        case kw::Type: ok = ReadInt(t, read.type); break;
        case kw::FadeSteps: ok = ReadInt(t, read.fadeSteps); break;
        case kw::AutoRotate:
            ok = ReadInt(t, n);
            read.autoRotate = n != 0;
            break;
        case kw::AllPoints:
            ok = ReadInt(t, n);
            read.allPoints = n != 0;
            break;
        case kw::MaskExpr: ok = ReadString(t, read.maskExpression); break;
        case kw::DataExpr: ok = ReadString(t, read.dataExpression); break;
        case kw::FileName: ok = ReadString(t, read.fileName); break;
        case kw::Kernel: ok = static_cast<ConvolutionKernel&>(read).ReadText(t) == 0; break;
        default: break;
        }
        if (!ok)
            return -1;
    }
    *this = read;
    return 0;
}

int ReadBrushFile(const std::string& path, BrushSettings& settings)
{
    CTokenizer t;
    if (t.Open(path, false) != 0)
        return -1;
    while (t.GetToken() != kTokEnd && t.GetToken() != kw::Brush)
        t.NextToken();
    if (t.GetToken() != kw::Brush)
        return -2;
    return settings.ReadText(t) == 0 ? 0 : -2;
}

int WriteBrushFile(const std::string& path, const BrushSettings& settings)
{
    const std::string text = settings.WriteText();
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    if (std::fwrite(text.data(), 1, text.size(), file.File()) != text.size()) {
        file.Discard();
        return -1;
    }
    return file.Commit() ? 0 : -1;
}

} // namespace kv
