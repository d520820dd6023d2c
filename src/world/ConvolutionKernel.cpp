#include "world/ConvolutionKernel.h"

#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "platform/CLocale.h"

#include <cmath>

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

// The unnamed lines (and the scale) hold one signed number each, never arithmetic: a line
// that starts with a minus sign must not be taken as subtracting from the line before.
bool ReadPlain(CTokenizer& t, double& out)
{
    t.SkipLineEnds();
    double sign = 1.0;
    if (t.GetToken() == kTokMinus || t.GetToken() == kTokPlus) {
        sign = t.GetToken() == kTokMinus ? -1.0 : 1.0;
        t.NextToken();
    }
    if (t.GetToken() != kTokNumber || !std::isfinite(t.GetNumber()))
        return false;
    out = sign * t.GetNumber();
    t.NextToken();
    return true;
}

bool ReadPlainInt(CTokenizer& t, int& out)
{
    double v = 0.0;
    if (!ReadPlain(t, v) || v != std::trunc(v) || v < -2147483647.0 || v > 2147483647.0)
        return false;
    out = static_cast<int>(v);
    return true;
}

void SkipCommas(CTokenizer& t)
{
    t.SkipLineEnds();
    while (t.GetToken() == kTokComma) {
        t.NextToken();
        t.SkipLineEnds();
    }
}

} // namespace

ConvolutionKernel::ConvolutionKernel() { Init(kDefaultSize, 1.0f, 0, 0); }

int ConvolutionKernel::Init(int size, float scale, int symmetry, int extra)
{
    if (size < kMinSize || size > kMaxSize)
        return -1;
    m_size = size | 1;
    m_scale = scale;
    m_symmetry = symmetry;
    m_extra = extra;
    m_weights.assign(static_cast<std::size_t>(m_size * m_size), 0.0f);
    Set(m_size / 2, m_size / 2, 1.0f);
    return 0;
}

void ConvolutionKernel::AppendText(std::string& out) const
{
    out += FormatC("%s %d\n", "", m_size);
    out += FormatC("%s %0.5f\n", KeywordName(kw::Scale), m_scale);
    out += FormatC("%s %d\n", "", m_symmetry);
    out += FormatC("%s %d\n", "", m_extra);
    out += FormatC("%s\n", KeywordName(kw::Data));
    for (int r = 0; r < m_size; ++r) {
        for (int c = 0; c < m_size; ++c)
            out += FormatC(" %10.5f,", At(r, c));
        out += '\n';
    }
    out += FormatC("%s\n", "");
}

int ConvolutionKernel::ReadText(CTokenizer& t)
{
    ConvolutionKernel read;
    int size = 0, symmetry = 0, extra = 0;
    float scale = 1.0f;
    double scaleRead = 0.0;
    if (!ReadPlainInt(t, size))
        return -1;
    t.SkipLineEnds();
    if (t.GetToken() != kw::Scale)
        return -1;
    t.NextToken();
    if (!ReadPlain(t, scaleRead) || !std::isfinite(static_cast<float>(scaleRead)) || !ReadPlainInt(t, symmetry) ||
        !ReadPlainInt(t, extra))
        return -1;
    scale = static_cast<float>(scaleRead);
    if (read.Init(size, scale, symmetry, extra) != 0)
        return -1;
    t.SkipLineEnds();
    if (t.GetToken() != kw::Data)
        return -1;
    t.NextToken();
    for (int r = 0; r < read.m_size; ++r) {
        for (int c = 0; c < read.m_size; ++c) {
            SkipCommas(t);
            float w = 0.0f;
            if (!ReadFloat(t, w))
                return -1;
            read.Set(r, c, w);
        }
    }
    SkipCommas(t);
    *this = read;
    return 0;
}

} // namespace kv
