#include "world/RemapCurve.h"

#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"

#include <cmath>

namespace kv {

namespace {

constexpr float kLastInput = 0.99999f;
constexpr float kFlatSpan = 0.00001f;

// One sample as read: clamped to [0, 1]; a failed expression (1e20) and +infinity give
// 1.0, -infinity 0.0, NaN 1.0 like a failure; -0 is 0.
float ClampSample(double value)
{
    if (std::isnan(value) || value > 1.0)
        return 1.0f;
    if (value <= 0.0)
        return 0.0f;
    return static_cast<float>(value);
}

// A scale value as read: overflowing or undefined values keep the failure value, so
// that what is read writes back readably.
float ScaleValue(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e38)
        return static_cast<float>(kExpressionFailed);
    return static_cast<float>(value);
}

// Reads one number as an expression. A token that cannot start one fails the read
// without being consumed: it is skipped here, so that every read moves on.
double ReadNumber(CTokenizer& tokenizer)
{
    const int code = tokenizer.GetToken();
    const bool startsExpression = code == kTokNumber || code == kTokLeftParen || code == kTokPlus ||
                                  code == kTokMinus || CExpression::FunctionOperandCount(code) >= 0;
    if (!startsExpression) {
        tokenizer.NextToken();
        return kExpressionFailed;
    }
    return ReadExpressionDouble(tokenizer);
}

} // namespace

RemapCurve::RemapCurve() : samples{0.0f, 1.0f} {}

float RemapCurve::Evaluate(float x) const
{
    const std::size_t n = samples.size();
    if (n == 0)
        return 0.0f;
    if (n == 1)
        return samples[0];
    if (!(x > 0.0f))
        x = 0.0f; // also NaN
    else if (x > kLastInput)
        x = kLastInput;
    const float p = static_cast<float>(n - 1) * x;
    std::size_t i = static_cast<std::size_t>(p);
    // With millions of samples p may round up to the last index: stay inside the array.
    if (i > n - 2)
        i = n - 2;
    return samples[i] + (p - static_cast<float>(i)) * (samples[i + 1] - samples[i]);
}

void RemapCurve::Normalize()
{
    float lo = 1e25f, hi = -1e25f;
    for (float s : samples) {
        lo = std::fmin(lo, s);
        hi = std::fmax(hi, s);
    }
    const float d = std::fabs(hi - lo) < kFlatSpan ? lo + 1.0f : hi;
    for (float& s : samples)
        s = (s - lo) / (d - lo);
}

int RemapCurve::Write(std::FILE* file, const CTokenizer& tokenizer) const
{
    if (file == nullptr)
        return -1;
    std::string text = tokenizer.GetKeywordName(kw::SCurve) + "\n";
    text += FormatC("%s,%f,%f\n", tokenizer.GetKeywordName(kw::Scale).c_str(), scaleLow, scaleHigh);
    for (float s : samples)
        text += FormatC("  %0.5f\n", s);
    text += tokenizer.GetKeywordName(kw::End) + "\n";
    return std::fwrite(text.data(), 1, text.size(), file) == text.size() ? 0 : -1;
}

int RemapCurve::SaveToFile(const std::string& path) const
{
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    CTokenizer tokenizer;
    if (Write(file.File(), tokenizer) != 0)
        return -1;
    return file.Commit() ? 0 : -1;
}

int RemapCurve::Parse(CTokenizer& tokenizer)
{
    if (tokenizer.GetToken() != kw::SCurve)
        return -1;
    int code = tokenizer.NextToken();
    if (code == kw::Scale) {
        tokenizer.NextToken();
        float* values[2] = {&scaleLow, &scaleHigh};
        for (float* value : values) {
            if (tokenizer.GetToken() == kTokComma)
                tokenizer.NextToken();
            const int next = tokenizer.GetToken();
            if (next == kTokEnd || next == kw::End)
                break;
            *value = ScaleValue(ReadNumber(tokenizer));
        }
        code = tokenizer.GetToken();
    }
    samples.clear();
    for (;;) {
        if (code == kTokEnd || code == kw::End)
            return 0;
        samples.push_back(ClampSample(ReadNumber(tokenizer)));
        code = tokenizer.GetToken();
        if (code == kTokComma)
            code = tokenizer.NextToken();
    }
}

int RemapCurve::LoadFromFile(const std::string& path)
{
    CTokenizer tokenizer;
    const int opened = tokenizer.Open(path, false);
    if (opened < 0)
        return opened;
    const int result = Parse(tokenizer);
    tokenizer.Close();
    return result;
}

} // namespace kv
