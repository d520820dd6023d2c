#include "document/AltColor.h"

#include "base/DisplayUnits.h"
#include "base/Progress.h"
#include "base/ServiceSlots.h"
#include "base/grid/GridFilters.h"
#include "base/layers/CSelection.h"
#include "base/raster/VideoBuffer.h"
#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace kv {

namespace {

constexpr uint32_t kRgbMask = 0xFFFFFF;

class CancelEditor : public AltColorEditor {
public:
    int Edit(AltColor&, bool) override { return 2; }
};
CancelEditor g_cancelEditor;
std::atomic<AltColorEditor*> g_editor{nullptr};

void SkipCommas(CTokenizer& t)
{
    while (t.GetToken() == kTokComma)
        t.NextToken();
}

bool Painted(uint32_t pixel) { return pixel > kRgbMask; }

} // namespace

AltColorEditor* SetAltColorEditor(AltColorEditor* editor) { return g_editor.exchange(editor); }

const char* AltColor::KindName(int kind)
{
    switch (kind) {
    case kBasin: return "Basin";
    case kContour: return "Contour";
    case kPeak: return "Peak";
    case kNone: return "None";
    default: return "";
    }
}

int AltColor::Edit()
{
    AltColorEditor* editor = g_editor.load();
    if (!editor)
        editor = &g_cancelEditor;
    const bool metric = IsMetric();
    AltColor shown = *this;
    if (!metric) {
        shown.altitude = static_cast<float>(altitude * kFeetPerMetre);
        shown.altitude2 = static_cast<float>(altitude2 * kFeetPerMetre);
    }
    const int result = editor->Edit(shown, metric);
    if (result == 1) {
        if (!metric) {
            shown.altitude = static_cast<float>(shown.altitude * kMetresPerFoot);
            shown.altitude2 = static_cast<float>(shown.altitude2 * kMetresPerFoot);
        }
        *this = shown;
    }
    return result;
}

int AltColor::Write(std::FILE* file, const CTokenizer& tokenizer) const
{
    const std::string line =
        FormatC("%s ", tokenizer.GetKeywordName(kw::Color).c_str()) +
        FormatC("%d,%d,%d, %0.3f, %d, %0.3f, %0.3f\n", static_cast<int>(color & 0xFF),
                static_cast<int>((color >> 8) & 0xFF), static_cast<int>((color >> 16) & 0xFF), altitude, kind,
                altitude2, roughness);
    return std::fputs(line.c_str(), file) < 0 ? -1 : 0;
}

int AltColor::Parse(CTokenizer& t)
{
    if (t.GetToken() != kw::Color)
        return -1;
    t.NextToken();
    bool ok = true;
    auto readInt = [&]() {
        SkipCommas(t);
        const int v = ReadExpressionInt(t);
        ok = ok && !ExpressionError() && v != kExpressionIntFailed;
        return v;
    };
    auto readDouble = [&]() {
        SkipCommas(t);
        const double v = ReadExpressionDouble(t);
        ok = ok && !ExpressionError() && v != kExpressionFailed && std::isfinite(v) && std::fabs(v) <= 3.4e38;
        return v;
    };
    AltColor e = *this;
    const int r = readInt() & 0xFF, g = readInt() & 0xFF, b = readInt() & 0xFF;
    e.color = static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
    e.altitude = static_cast<float>(readDouble());
    e.kind = readInt();
    if (t.GetToken() == kTokComma) {
        e.altitude2 = static_cast<float>(readDouble());
        e.roughness = static_cast<float>(readDouble());
    }
    if (!ok)
        return -2;
    e.exponent = 1.0f;
    *this = e;
    return 0;
}

int AltColorList::Write(std::FILE* file, const CTokenizer& tokenizer) const
{
    if (std::fprintf(file, "%s\n", tokenizer.GetKeywordName(kw::AltColor).c_str()) < 0)
        return -1;
    for (const AltColor& e : *this)
        if (e.Write(file, tokenizer) != 0)
            return -1;
    return std::fprintf(file, "%s\n", tokenizer.GetKeywordName(kw::EndList).c_str()) < 0 ? -1 : 0;
}

int AltColorList::SaveToFile(const std::string& path) const
{
    AtomicFile out;
    if (!out.Open(path))
        return -1;
    CTokenizer tokenizer;
    if (Write(out.File(), tokenizer) != 0) {
        out.Discard();
        return -1;
    }
    return out.Commit() ? 0 : -1;
}

int AltColorList::Parse(CTokenizer& t)
{
    AltColorList read;
    AltColor entry; // one record for the whole file: short lines keep the values before
    for (;;) {
        t.SkipLineEnds();
        if (t.GetToken() == kw::EndList) {
            t.NextToken();
            break;
        }
        if (t.GetToken() != kw::Color)
            break;
        if (entry.Parse(t) != 0)
            return -2;
        read.push_back(entry);
    }
    *this = std::move(read);
    return 0;
}

int AltColorList::LoadFromFile(const std::string& path)
{
    CTokenizer t;
    if (t.Open(path, false) != 0)
        return -1;
    t.SkipLineEnds();
    bool header = false;
    if (t.GetToken() == kw::AltColor) {
        header = true;
        t.NextToken();
        t.SkipLineEnds();
    }
    if (!header && t.GetToken() != kw::Color)
        return -3;
    AltColorList read;
    const int r = read.Parse(t);
    if (r != 0)
        return r;
    *this = std::move(read);
    return 0;
}

bool AltColorList::FindByColor(uint32_t color, AltColor& out) const
{
    for (auto it = rbegin(); it != rend(); ++it) {
        if ((it->color & kRgbMask) == (color & kRgbMask)) {
            out = *it;
            return true;
        }
    }
    return false;
}

bool ColorToAltitude(const VideoBuffer& picture, const AltColorList& list, Grid2D& altitude, Grid2D& roughness,
                     int reach)
{
    const int W = picture.GetWidth(), H = picture.GetHeight();
    auto fits = [&](const Grid2D& g) {
        return static_cast<int>(g.Width()) == W && static_cast<int>(g.Height()) == H &&
               g.ElementSize() == sizeof(float);
    };
    if (W <= 0 || H <= 0 || !fits(altitude) || !fits(roughness))
        return false;
    auto alt = altitude.Rows<float>();
    auto rough = roughness.Rows<float>();
    // The last entry of a kind whose colour matches, or null.
    auto lastOfKind = [&](uint32_t pixel, int kind) -> const AltColor* {
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            if (it->kind == kind && (it->color & kRgbMask) == (pixel & kRgbMask))
                return &*it;
        return nullptr;
    };

    // 1. contours
    g_abortValue = 0;
    bool contours = false;
    ProgressBeginHook("Creating raw height image", 1);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uint32_t p = picture.GetPixel(x, y);
            if (!Painted(p))
                continue;
            const AltColor* e = lastOfKind(p, AltColor::kContour);
            alt[y][x] = e ? e->altitude : 0.0f;
            contours = contours || e;
        }
        ProgressStepHook(y, H);
        ProgressPollHook();
        if (AbortRequested()) {
            ProgressEndHook();
            return false;
        }
    }
    ProgressEndHook();

    // 2. spread the altitudes between contours
    Grid2DPtr scratch = Alloc2D(W, H, sizeof(float));
    if (!scratch)
        return false;
    if (contours) {
        const int r = DeterraceSurface(altitude, *scratch, reach, 0.00001f);
        if (r == kFilterAborted)
            return false;
        Copy2D(&altitude, scratch.get());
    }

    // 3. basins and peaks
    CSelection mask;
    if (mask.Create(W, H) != 0)
        return false;
    ProgressBeginHook("Creating High and Low", 1);
    const int count = static_cast<int>(list.size());
    for (int i = 0; i < count; ++i) {
        const AltColor& e = list[static_cast<size_t>(i)];
        if (e.kind == AltColor::kContour || e.kind == AltColor::kNone) {
            ProgressStepHook(i, count);
            continue;
        }
        bool any = false;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const uint32_t p = picture.GetPixel(x, y);
                const bool match = Painted(p) && (p & kRgbMask) == (e.color & kRgbMask);
                mask.SetAt(x, y, match ? 255 : 0);
                any = any || match;
            }
        }
        float largest = 0.0f;
        auto dist = scratch->Rows<float>();
        if (any && mask.DistanceFill(*scratch, &largest, 0.0f) == 0 && largest > 0.0f) {
            GaussianBlurFloatGrid(*scratch, 1.0f);
            double lo = 1e20, hi = -1e20;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    if (mask.GetAt(x, y)) {
                        const double ev = dist[y][x] / largest;
                        lo = std::min(lo, ev);
                        hi = std::max(hi, ev);
                    }
            ProgressPollHook();
            if (AbortRequested()) {
                ProgressEndHook();
                return false;
            }
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    if (mask.GetAt(x, y)) {
                        const double ev = dist[y][x] / largest;
                        // A region whose distances are all equal (one cell, a thin line)
                        // takes the centre's altitude.
                        const double ratio = hi > lo ? (ev - lo) / (hi - lo) : 1.0;
                        alt[y][x] = static_cast<float>(
                            e.altitude + (e.altitude2 - e.altitude) * std::pow(ratio, static_cast<double>(e.exponent)));
                    }
        }
        ProgressStepHook(i, count);
        ProgressPollHook();
        if (AbortRequested()) {
            ProgressEndHook();
            return false;
        }
    }
    ProgressEndHook();

    // 4. level areas and their roughness
    ProgressBeginHook("Final pass - roughness and level sets", 1);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const uint32_t p = picture.GetPixel(x, y);
            if (!Painted(p))
                continue;
            if (const AltColor* e = lastOfKind(p, AltColor::kNone)) {
                alt[y][x] = e->altitude;
                rough[y][x] = e->roughness;
            }
        }
        ProgressPollHook();
        if (AbortRequested()) {
            ProgressEndHook();
            return false;
        }
    }
    ProgressEndHook();
    return true;
}

namespace {

const ServiceSlotRegistration kAltColorEditorSlot("AltColorEditor", [] { return g_editor.load() != nullptr; });

} // namespace

} // namespace kv
