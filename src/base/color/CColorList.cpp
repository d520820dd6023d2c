#include "base/color/CColorList.h"

#include "platform/Archive.h"
#include "platform/CLocale.h"
#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "base/color/ColorChooser.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kv {

namespace {

int Channel(uint32_t c, int channel)
{
    return static_cast<int>((c >> (8 * channel)) & 0xFF);
}

} // namespace

// ---------------------------------------------------------------- entries

void CColorEntry::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kRecordMark;
        ar << m_name;
        ar << static_cast<int32_t>(m_colour);
        return;
    }
    int32_t mark = 0;
    ar >> mark;
    if (mark != kRecordMark)
        CArchive::Throw(CArchiveException::badSchema, "colour stop record has a bad mark");
    std::string name;
    int32_t colour = 0;
    ar >> name >> colour;
    m_name = std::move(name);
    // A stop is 0x00BBGGRR: a top byte would be lost by the text form of the list (and a
    // document carries its climate lists in both forms).
    m_colour = static_cast<uint32_t>(colour) & 0xFFFFFFu;
}

// ---------------------------------------------------------------- lists

CColorList& CColorList::operator=(const CColorList& other)
{
    if (this == &other)
        return *this;
    m_stops.clear();
    m_stops.reserve(other.m_stops.size());
    for (const CColorEntry& stop : other.m_stops)
        m_stops.push_back(stop); // colour and flag; the name stays behind
    m_mode = other.m_mode;
    double g = other.m_exponent;
    m_exponent = std::isnan(g) ? 1.0 : std::clamp(g, kMinExponent, kMaxExponent);
    return *this;
}

void CColorList::ResetDefaults()
{
    m_stops.clear();
    m_mode = kCubic;
    m_exponent = 1.0;
}

void CColorList::ResetBlackWhite()
{
    m_stops.clear();
    m_mode = kLinear;
    m_exponent = 1.0;
    Add(ColorOf(0, 0, 0));
    Add(ColorOf(255, 255, 255));
}

int CColorList::RemoveAll()
{
    int former = GetSize();
    m_stops.clear();
    return former;
}

int CColorList::Add(uint32_t colour)
{
    m_stops.emplace_back(colour);
    return GetSize() - 1;
}

int CColorList::SetAt(int i, uint32_t colour)
{
    if (i < 0)
        return -1;
    if (i >= GetSize())
        m_stops.resize(static_cast<size_t>(i) + 1);
    m_stops[static_cast<size_t>(i)].SetColor(colour);
    return i;
}

int CColorList::SetColorOfStop(int i, uint32_t colour)
{
    if (i < 0 || i >= GetSize())
        return -1;
    m_stops[static_cast<size_t>(i)].SetColor(colour);
    return i;
}

int CColorList::InsertAt(int i, uint32_t colour)
{
    i = std::clamp(i, 0, GetSize());
    m_stops.insert(m_stops.begin() + i, CColorEntry(colour));
    return i;
}

uint32_t CColorList::GetColorAt(int i) const
{
    if (m_stops.empty())
        return 0;
    return m_stops[static_cast<size_t>(std::clamp(i, 0, GetSize() - 1))].Color();
}

int CColorList::SetInterpolation(int mode)
{
    int former = m_mode;
    m_mode = mode;
    return former;
}

double CColorList::SetExponentInverse(double v)
{
    double former = m_exponent;
    v = std::isnan(v) ? 1.0 : std::clamp(v, kMinExponent, kMaxExponent);
    m_exponent = 1.0 / v;
    return former;
}


namespace {

// t (already inside 0..1) bent by the exponent. The exponent is stored as read from
// texts, so the result is brought back into 0..1 (NaN to 0) before it indexes stops.
double Bend(double t, double g)
{
    if (g == 1.0)
        return t;
    t = std::pow(t, g);
    if (!(t >= 0.0))
        return 0.0;
    return std::min(t, 1.0);
}

} // namespace

namespace {

// The channel coefficients of segment k (stops k-1 .. k+2 clamped to the list): for the
// cubic v = 0.5 (A f^3 + B f^2 + C f + D), for the linear v = a + (b - a) f. Every one is a
// small integer, exact in a double, so working them out early changes no result.
using RampSegment = CColorRamp::Segment;

template <class StopColor>
RampSegment MakeSegment(int k, int n, StopColor&& stop)
{
    RampSegment s{};
    const uint32_t p[4] = {stop(std::max(k - 1, 0)), stop(k), stop(k + 1), stop(std::min(k + 2, n - 1))};
    for (int ch = 0; ch < 3; ++ch) {
        const double p0 = Channel(p[0], ch), p1 = Channel(p[1], ch), p2 = Channel(p[2], ch), p3 = Channel(p[3], ch);
        s.cubic[0][ch] = -p0 + 3 * p1 - 3 * p2 + p3;
        s.cubic[1][ch] = 2 * p0 - 5 * p1 + 4 * p2 - p3;
        s.cubic[2][ch] = -p0 + p2;
        s.cubic[3][ch] = 2 * p1;
        s.linear[ch][0] = p1;
        s.linear[ch][1] = p2 - p1;
    }
    return s;
}

// Segment s's colour at fraction f: each channel 0.5 (A f^3 + B f^2 + C f + D) cut to an
// integer and clamped to 0..255.
inline uint32_t CubicColour(const RampSegment& s, double f)
{
    const double f2 = f * f, f3 = f2 * f;
#if defined(__SSE2__)
    // Red and green in one pair of lanes, blue and the zero pad in the other: the same
    // products and sums in the same order as one channel at a time. The lanes' cut to an
    // integer gives what the scalar cut gives (out of range and NaN the lowest integer),
    // and the two saturating packs clamp to 0..255.
    const __m128d v3 = _mm_set1_pd(f3), v2 = _mm_set1_pd(f2), v1 = _mm_set1_pd(f), half = _mm_set1_pd(0.5);
    auto lanes = [&](int ch) {
        __m128d v = _mm_add_pd(_mm_mul_pd(_mm_load_pd(&s.cubic[0][ch]), v3), _mm_mul_pd(_mm_load_pd(&s.cubic[1][ch]), v2));
        v = _mm_add_pd(v, _mm_mul_pd(_mm_load_pd(&s.cubic[2][ch]), v1));
        v = _mm_add_pd(v, _mm_load_pd(&s.cubic[3][ch]));
        return _mm_cvttpd_epi32(_mm_mul_pd(half, v));
    };
    const __m128i channels = _mm_unpacklo_epi64(lanes(0), lanes(2));
    const __m128i words = _mm_packs_epi32(channels, channels);
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words))) & 0xFFFFFFu;
#else
    uint32_t result = 0;
    for (int ch = 0; ch < 3; ++ch) {
        const double v = 0.5 * (s.cubic[0][ch] * f3 + s.cubic[1][ch] * f2 + s.cubic[2][ch] * f + s.cubic[3][ch]);
        const int clamped = std::clamp(static_cast<int>(v), 0, 255);
        result |= static_cast<uint32_t>(clamped) << (8 * ch);
    }
    return result;
#endif
}

#if defined(__x86_64__)
// Whether the processor has AVX2 (looked up once).
bool HasFourLanes()
{
    static const bool four = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return four;
}

// CubicColour of the points with k[i] >= 0, the three channels and the pad in one register
// of four doubles (the same products and sums; no fused multiply-add is enabled).
__attribute__((target("avx2"))) void CubicColoursFourLanes(const RampSegment* segments, const int* k,
                                                            const double* f, int count, uint32_t* colours)
{
    const __m256d half = _mm256_set1_pd(0.5);
    for (int i = 0; i < count; ++i) {
        if (k[i] < 0)
            continue;
        const RampSegment& s = segments[k[i]];
        const double f1 = f[i], f2 = f1 * f1, f3 = f2 * f1;
        __m256d v = _mm256_add_pd(_mm256_mul_pd(_mm256_loadu_pd(s.cubic[0]), _mm256_set1_pd(f3)),
                                  _mm256_mul_pd(_mm256_loadu_pd(s.cubic[1]), _mm256_set1_pd(f2)));
        v = _mm256_add_pd(v, _mm256_mul_pd(_mm256_loadu_pd(s.cubic[2]), _mm256_set1_pd(f1)));
        v = _mm256_add_pd(v, _mm256_loadu_pd(s.cubic[3]));
        const __m128i channels = _mm256_cvttpd_epi32(_mm256_mul_pd(half, v));
        const __m128i words = _mm_packs_epi32(channels, channels);
        colours[i] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words))) & 0xFFFFFFu;
    }
}
#endif

// The colour at t of a list of n stops, with the stops' colours and the segments' coefficients
// from the caller.
template <class StopColor, class Segment>
uint32_t InterpolateStops(double t, int n, int mode, double exponent, StopColor&& stop, Segment&& segment)
{
    if (n == 0)
        return 0;
    if (!(t > 0.0))
        return stop(0);
    if (t >= 1.0)
        return stop(n - 1);
    t = Bend(t, exponent);

    if (mode == CColorList::kNearest)
        return stop(std::min(static_cast<int>((n - 1) * t + 0.5), n - 1));
    if (n == 1)
        return stop(0);

    // Segment k and the fraction inside it, from one product so the two agree.
    const double pos = (n - 1) * t;
    const int k = std::min(static_cast<int>(pos), n - 2);
    const double f = pos - k;
    const RampSegment& s = segment(k);

    uint32_t result = 0;
    if (mode == CColorList::kLinear || n < 3) {
        for (int ch = 0; ch < 3; ++ch) {
            const int v = static_cast<int>(s.linear[ch][0] + s.linear[ch][1] * f);
            result |= static_cast<uint32_t>(v & 0xFF) << (8 * ch);
        }
        return result;
    }
    return CubicColour(s, f);
}

} // namespace

uint32_t CColorList::Interpolate(double t) const
{
    const int n = GetSize();
    auto stop = [this](int i) { return m_stops[static_cast<size_t>(i)].Color(); };
    RampSegment segment;
    return InterpolateStops(t, n, m_mode, m_exponent, stop, [&](int k) -> const RampSegment& {
        segment = MakeSegment(k, n, stop);
        return segment;
    });
}

void CColorRamp::Prepare(const CColorList& list)
{
    const int n = list.GetSize();
    m_mode = list.GetInterpolation();
    m_exponent = list.GetExponent();
    m_colours.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        m_colours[static_cast<size_t>(i)] = list.Stop(i).Color();
    auto stop = [this](int i) { return m_colours[static_cast<size_t>(i)]; };
    const size_t segments = n >= 2 ? static_cast<size_t>(n - 1) : 0;
    if (m_segments.size() < segments)
        m_segments.resize(segments);
    for (size_t k = 0; k < segments; ++k)
        m_segments[k] = MakeSegment(static_cast<int>(k), n, stop);
}

uint32_t CColorRamp::Interpolate(double t) const
{
    return InterpolateStops(
        t, static_cast<int>(m_colours.size()), m_mode, m_exponent, [this](int i) { return m_colours[static_cast<size_t>(i)]; },
        [this](int k) -> const RampSegment& { return m_segments[static_cast<size_t>(k)]; });
}

void CColorRamp::InterpolateMany(const double* t, int n, uint32_t* colours) const
{
    const int stops = static_cast<int>(m_colours.size());
    auto stop = [this](int i) { return m_colours[static_cast<size_t>(i)]; };
    auto segment = [this](int k) -> const RampSegment& { return m_segments[static_cast<size_t>(k)]; };
    if (m_mode == CColorList::kNearest || m_mode == CColorList::kLinear || stops < 3) {
        for (int i = 0; i < n; ++i)
            colours[i] = InterpolateStops(t[i], stops, m_mode, m_exponent, stop, segment);
        return;
    }
    // The cubic rule in two steps over up to 32 points at a time, as InterpolateStops takes
    // them: every point's segment and fraction (the list's ends directly), then every
    // segment's colour.
    constexpr int kChunk = 32;
    int k[kChunk];
    double f[kChunk];
    const double last = stops - 1;
    for (int first = 0; first < n; first += kChunk) {
        const int count = std::min(kChunk, n - first);
        for (int i = 0; i < count; ++i) {
            double ti = t[first + i];
            if (!(ti > 0.0) || ti >= 1.0) {
                colours[first + i] = ti >= 1.0 ? m_colours.back() : m_colours.front();
                k[i] = -1;
                continue;
            }
            const double pos = last * Bend(ti, m_exponent);
            k[i] = std::min(static_cast<int>(pos), stops - 2);
            f[i] = pos - k[i];
        }
#if defined(__x86_64__)
        if (HasFourLanes()) {
            CubicColoursFourLanes(m_segments.data(), k, f, count, colours + first);
            continue;
        }
#endif
        for (int i = 0; i < count; ++i)
            if (k[i] >= 0)
                colours[first + i] = CubicColour(m_segments[static_cast<size_t>(k[i])], f[i]);
    }
}

int CColorList::NearestStopIndex(double t) const
{
    const int n = GetSize();
    if (!(t > 0.0))
        return 0;
    if (t >= 1.0)
        return n - 1;
    t = Bend(t, m_exponent);
    return std::clamp(static_cast<int>((n - 1) * t + 0.5), 0, std::max(n - 1, 0));
}

bool CColorList::Equals(const CColorList& other) const
{
    if (m_stops.size() != other.m_stops.size() || m_mode != other.m_mode)
        return false;
    if (!(std::fabs(m_exponent - other.m_exponent) <= 1e-9))
        return false;
    auto same = [](const CColorEntry& a, const CColorEntry& b) {
        return a.Color() == b.Color() && a.Name() == b.Name();
    };
    if (!same(m_scratch, other.m_scratch))
        return false;
    for (size_t i = 0; i < m_stops.size(); ++i)
        if (!same(m_stops[i], other.m_stops[i]))
            return false;
    return true;
}

namespace {

uint32_t SpectrumColor(double x)
{
    constexpr double pi = std::numbers::pi;
    const double s = 1.25 * std::clamp(x, 0.0, 1.0) - 0.25;
    const double k = 1.0 - s;
    const double w = 2.0 * pi * s + pi / 2.0;
    const double scale = 1.0 - std::sqrt(k) / 2.0;
    const double rgb[3] = {
        (k * std::sin(w + 2.8797932657906435) * 2.0 / 3.0 + 1.0) * scale,
        (k * std::sin(w + pi / 4.0 - 2.0943951023931953) * 0.5 + 1.0) * scale,
        (k * std::sin(w + pi / 4.0) + 1.0) * scale,
    };
    int c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = static_cast<int>(std::clamp(rgb[i], 0.0, 1.0) * 255.0);
    return ColorOf(c[0], c[1], c[2]);
}

} // namespace

void CColorList::FillSpectrum(double a, double b, int n)
{
    m_stops.clear();
    if (n <= 1) {
        Add(SpectrumColor(a));
        return;
    }
    for (int i = 0; i < n; ++i)
        Add(SpectrumColor(a + (b - a) * i / (n - 1)));
}

void CColorList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion << static_cast<int32_t>(m_mode) << m_exponent << static_cast<int32_t>(m_stops.size());
        for (CColorEntry& stop : m_stops)
            stop.Serialize(ar);
        return;
    }
    int32_t version = 0;
    ar >> version;
    if (version != kVersion && version != kVersionBareColors)
        CArchive::Throw(CArchiveException::badSchema, "unknown colour list version");
    int32_t mode = 0, count = 0;
    double exponent = 1.0;
    ar >> mode >> exponent >> count;
    if (count < 0 || count > kMaxArchivedStops)
        CArchive::Throw(CArchiveException::badSchema, "colour list has an impossible stop count");
    // Smallest record: mark, a one-byte name length and the colour; or a bare colour.
    ar.Require(static_cast<uint64_t>(count) * (version == kVersion ? 9u : 4u));

    std::vector<CColorEntry> stops;
    for (int32_t i = 0; i < count; ++i) {
        CColorEntry entry;
        if (version == kVersion) {
            entry.Serialize(ar);
        } else {
            int32_t colour = 0;
            ar >> colour;
            entry.SetColor(static_cast<uint32_t>(colour) & 0xFFFFFFu);
        }
        stops.push_back(std::move(entry));
    }
    m_stops = std::move(stops);
    // The mode as the text form reads it (its two low bits), so that both forms agree.
    m_mode = mode & 3;
    m_exponent = std::isnan(exponent) ? 1.0 : exponent;
}

// ---------------------------------------------------------------- text

namespace {

// A stop's name as one string token.
std::string QuoteName(const std::string& name) { return QuoteTokenString(name); }

} // namespace

int CColorList::WriteText(std::FILE* file, const CTokenizer& tokenizer) const
{
    if (file == nullptr)
        return -1;
    std::string text;
    text += FormatC("%s\n", tokenizer.GetKeywordName(kw::ColorList).c_str());
    text += tokenizer.GetKeywordName(kw::Gamma) + " " + FormatRoundTrip(m_exponent, 5) + "\n";
    text += FormatC("%s %d\n", tokenizer.GetKeywordName(kw::Mode).c_str(), m_mode);
    text += FormatC("%s\n", tokenizer.GetKeywordName(kw::Data).c_str());
    for (const CColorEntry& stop : m_stops) {
        const uint32_t c = stop.Color();
        text += FormatC("%4d,%4d,%4d,%s\n", RedOf(c), GreenOf(c), BlueOf(c), QuoteName(stop.Name()).c_str());
    }
    text += FormatC("%s\n", tokenizer.GetKeywordName(kw::ColorListEnd).c_str());
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size())
        return -1;
    return 0;
}

int CColorList::ReadText(CTokenizer& tokenizer)
{
    int code = tokenizer.GetToken();
    if (code == kw::ColorList)
        code = tokenizer.NextToken();
    for (;;) {
        switch (code) {
        case kTokEnd:
            return -1;
        case kw::ColorListEnd:
            return 0;
        case kw::Gamma: {
            tokenizer.NextToken();
            const double g = ReadExpressionDouble(tokenizer);
            // An overflowing exponent ("1e400") would be written back as "inf", which
            // reads as no number: it is refused like one that does not parse.
            if (!ExpressionError() && std::isfinite(g))
                m_exponent = g;
            code = tokenizer.GetToken();
            break;
        }
        case kw::Mode: {
            tokenizer.NextToken();
            const int mode = ReadExpressionInt(tokenizer);
            if (!ExpressionError())
                m_mode = mode & 3;
            code = tokenizer.GetToken();
            break;
        }
        case kw::Data:
            m_stops.clear();
            code = tokenizer.NextToken();
            for (;;) {
                if (code == kTokEnd)
                    return -1;
                if (code == kw::ColorListEnd)
                    return 0;
                if (code != kTokNumber) {
                    code = tokenizer.NextToken(); // the stop's name, or anything else
                    continue;
                }
                int rgb[3];
                for (int& channel : rgb) {
                    channel = ReadExpressionInt(tokenizer) & 0xFF;
                    while (tokenizer.GetToken() == kTokComma)
                        tokenizer.NextToken();
                }
                Add(ColorOf(rgb[0], rgb[1], rgb[2]));
                code = tokenizer.GetToken();
            }
        default:
            code = tokenizer.NextToken();
            break;
        }
    }
}

// ---------------------------------------------------------------- pickers

int PickColorByShift(uint32_t& colour)
{
    ColorChooser& chooser = GetColorChooser();
    if (chooser.IsShiftHeld()) {
        uint32_t picked = colour;
        if (!chooser.PickSystemColor(picked))
            return 0;
        colour = picked;
        return 1;
    }
    // The picker opens at the nearest entry: OK without a click gives the palette colour
    // nearest to the one the user started from, never black for a colour off the palette.
    int index = FindNearestPaletteIndex(colour);
    if (!chooser.PickPaletteIndex(index))
        return 0;
    colour = PaletteColor(index);
    return 1;
}

int PickColorByShift(CColorEntry& entry)
{
    uint32_t colour = entry.Color();
    if (!PickColorByShift(colour))
        return 0;
    entry.SetColor(colour);
    return 1;
}

int CColorList::PickStopColorAt(double y, double barHeight)
{
    if (m_stops.empty() || !(barHeight > 0.0))
        return 2;
    const int i = NearestStopIndex(1.0 - y / barHeight);
    uint32_t colour = GetColorAt(i);
    if (!PickColorByShift(colour))
        return 2;
    return SetColorOfStop(i, colour) >= 0 ? 1 : 2;
}

int CColorList::PickAndAppend()
{
    if (!PickColorByShift(m_scratch))
        return -1;
    return Add(m_scratch.Color());
}

int CColorList::PickAndInsert(int i)
{
    if (!PickColorByShift(m_scratch))
        return -1;
    return InsertAt(i, m_scratch.Color());
}

// ---------------------------------------------------------------- palette

const std::array<PaletteRGB, 256> PW2Palette = {{
    {0, 0, 0}, {0, 255, 0}, {224, 0, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {175, 0, 255},
    {255, 103, 0}, {104, 136, 255}, {248, 152, 88}, {168, 72, 0}, {136, 136, 56}, {0, 104, 56}, {128, 128, 128}, {255, 255, 255},
    {192, 192, 192}, {0, 0, 0}, {128, 128, 128}, {255, 248, 224}, {0, 128, 128}, {232, 118, 64}, {103, 128, 150}, {80, 158, 101},
    {177, 64, 61}, {168, 74, 121}, {64, 128, 128}, {67, 147, 190}, {128, 128, 192}, {255, 240, 189}, {86, 171, 171}, {255, 248, 224},
    {37, 22, 11}, {55, 33, 16}, {73, 44, 21}, {91, 55, 26}, {109, 66, 31}, {127, 77, 36}, {145, 88, 41}, {163, 99, 46},
    {173, 116, 69}, {183, 133, 92}, {193, 150, 115}, {203, 167, 138}, {213, 184, 161}, {223, 201, 184}, {233, 218, 207}, {243, 235, 230},
    {8, 10, 59}, {11, 11, 87}, {14, 12, 115}, {17, 13, 143}, {20, 14, 171}, {23, 15, 199}, {26, 16, 227}, {29, 17, 255},
    {54, 43, 255}, {79, 69, 255}, {104, 95, 255}, {129, 121, 255}, {154, 147, 255}, {179, 173, 255}, {204, 199, 255}, {229, 225, 255},
    {3, 55, 59}, {4, 79, 87}, {5, 103, 115}, {6, 127, 143}, {7, 151, 171}, {8, 175, 199}, {9, 199, 227}, {10, 223, 255},
    {37, 226, 255}, {64, 229, 255}, {91, 232, 255}, {118, 235, 255}, {145, 238, 255}, {172, 241, 255}, {199, 244, 255}, {226, 247, 255},
    {6, 46, 23}, {8, 68, 34}, {10, 90, 45}, {12, 112, 56}, {14, 134, 67}, {16, 156, 78}, {18, 178, 89}, {20, 200, 100},
    {46, 206, 117}, {72, 212, 134}, {98, 218, 151}, {124, 224, 168}, {150, 230, 185}, {176, 236, 202}, {202, 242, 219}, {228, 248, 236},
    {10, 57, 7}, {15, 85, 9}, {20, 113, 11}, {25, 141, 13}, {30, 169, 15}, {35, 197, 17}, {40, 225, 19}, {45, 253, 21},
    {68, 253, 47}, {91, 253, 73}, {114, 253, 99}, {137, 253, 125}, {160, 253, 151}, {183, 253, 177}, {206, 253, 203}, {229, 253, 229},
    {45, 58, 12}, {67, 86, 15}, {89, 114, 18}, {111, 142, 21}, {133, 170, 24}, {155, 198, 27}, {177, 226, 30}, {199, 254, 33},
    {205, 254, 57}, {211, 254, 81}, {217, 254, 105}, {223, 254, 129}, {229, 254, 153}, {235, 254, 177}, {241, 254, 201}, {247, 254, 225},
    {59, 55, 9}, {87, 80, 12}, {115, 105, 15}, {143, 130, 18}, {171, 155, 21}, {199, 180, 24}, {227, 205, 27}, {255, 230, 30},
    {255, 232, 55}, {255, 234, 80}, {255, 236, 105}, {255, 238, 130}, {255, 240, 155}, {255, 242, 180}, {255, 244, 205}, {255, 246, 230},
    {58, 29, 4}, {86, 40, 6}, {114, 51, 8}, {142, 62, 10}, {170, 73, 12}, {198, 84, 14}, {226, 95, 16}, {254, 106, 18},
    {254, 122, 44}, {254, 138, 70}, {254, 154, 96}, {254, 170, 122}, {254, 186, 148}, {254, 202, 174}, {254, 218, 200}, {254, 234, 227},
    {58, 3, 3}, {86, 4, 3}, {114, 5, 3}, {142, 6, 3}, {170, 7, 3}, {198, 8, 3}, {226, 9, 3}, {254, 10, 3},
    {254, 37, 31}, {254, 64, 59}, {254, 91, 87}, {254, 118, 115}, {254, 145, 143}, {254, 172, 171}, {254, 199, 199}, {254, 226, 227},
    {58, 7, 29}, {86, 7, 41}, {114, 7, 53}, {142, 7, 65}, {170, 7, 77}, {198, 7, 89}, {226, 7, 101}, {254, 7, 113},
    {254, 34, 128}, {254, 61, 143}, {254, 88, 158}, {254, 115, 173}, {254, 142, 188}, {254, 169, 203}, {254, 196, 218}, {254, 223, 233},
    {58, 4, 43}, {86, 6, 63}, {114, 8, 83}, {142, 10, 103}, {170, 12, 123}, {198, 14, 143}, {226, 16, 163}, {254, 18, 183},
    {254, 44, 191}, {254, 70, 199}, {254, 96, 207}, {254, 122, 215}, {254, 148, 223}, {254, 174, 231}, {254, 200, 239}, {254, 226, 247},
    {52, 6, 59}, {74, 7, 87}, {96, 8, 115}, {118, 9, 143}, {140, 10, 171}, {167, 11, 199}, {184, 12, 227}, {206, 13, 255},
    {211, 39, 255}, {216, 65, 255}, {221, 91, 255}, {226, 117, 255}, {231, 143, 255}, {236, 169, 255}, {241, 195, 255}, {246, 221, 255},
    {36, 6, 59}, {54, 6, 87}, {72, 6, 115}, {90, 6, 143}, {108, 6, 171}, {126, 6, 199}, {144, 6, 227}, {162, 6, 255},
    {172, 33, 255}, {182, 60, 255}, {192, 87, 255}, {202, 114, 255}, {212, 141, 255}, {222, 168, 255}, {232, 195, 255}, {255, 222, 242},
    {28, 28, 28}, {40, 40, 40}, {52, 52, 52}, {64, 64, 64}, {76, 76, 76}, {88, 88, 88}, {100, 100, 100}, {112, 112, 112},
    {127, 127, 127}, {142, 142, 142}, {157, 157, 157}, {172, 172, 172}, {187, 187, 187}, {202, 202, 202}, {217, 217, 217}, {232, 232, 232},
}};

int FindPaletteIndex(uint32_t colour)
{
    for (int i = 0; i < 256; ++i) {
        const PaletteRGB& e = PW2Palette[static_cast<size_t>(i)];
        if (ColorOf(e.r, e.g, e.b) == colour)
            return i;
    }
    return -1;
}

uint32_t PaletteColor(int index)
{
    if (index < 0 || index > 255)
        return 0;
    const PaletteRGB& e = PW2Palette[static_cast<size_t>(index)];
    return ColorOf(e.r, e.g, e.b);
}

int FindNearestPaletteIndex(uint32_t colour)
{
    const int r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
    int best = 0;
    int bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        const PaletteRGB& e = PW2Palette[static_cast<size_t>(i)];
        const int dr = e.r - r, dg = e.g - g, db = e.b - b;
        const int d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
            if (d == 0)
                break;
        }
    }
    return best;
}

namespace {

void Resample(CColorList& list, int n, bool snap)
{
    CColorList source(list);
    source.SetInterpolation(CColorList::kCubic);
    const int mode = list.GetInterpolation();
    list.RemoveAll();
    for (int i = 0; i < n; ++i) {
        uint32_t c = source.Interpolate(n > 1 ? static_cast<double>(i) / (n - 1) : 0.0);
        if (snap)
            c = PaletteColor(FindNearestPaletteIndex(c));
        list.Add(c);
    }
    list.SetInterpolation(mode);
}

} // namespace

void SnapColorListToPalette(CColorList& list, int n)
{
    Resample(list, n, true);
}

void ResampleColorListByShift(CColorList& list, int n)
{
    Resample(list, n, !IsShiftHeld());
}

void MakeTwoColorList(CColorList& list, int n, uint32_t a, uint32_t b)
{
    list.RemoveAll();
    list.Add(a);
    list.Add(b);
    Resample(list, n, !IsShiftHeld());
}

} // namespace kv
