#include "document/ScriptInterpreter.h"

#include "base/ViewHooks.h"
#include "document/CKVDoc.h"
#include "document/DocumentContext.h"
#include "platform/CLocale.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>

namespace kv {

namespace {

constexpr char kSeparators[] = " \t\n\r,";
constexpr float kNoLimit = 1e20f;
constexpr float kRoughnessMax = 100000.0f;
constexpr float kRangeHighDefault = 100000.0f;

struct Words {
    std::vector<std::string> lower;    // compared
    std::vector<std::string> original; // as written (file names)
    std::size_t size() const { return lower.size(); }
    char Letter(std::size_t i) const { return i < lower.size() && !lower[i].empty() ? lower[i][0] : '\0'; }
};

Words Split(const std::string& line)
{
    Words words;
    std::size_t i = 0;
    while (i < line.size()) {
        i = line.find_first_not_of(kSeparators, i, sizeof(kSeparators) - 1);
        if (i == std::string::npos)
            break;
        std::size_t end = line.find_first_of(kSeparators, i, sizeof(kSeparators) - 1);
        if (end == std::string::npos)
            end = line.size();
        std::string word = line.substr(i, end - i);
        words.original.push_back(word);
        for (char& ch : word)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch - 'A' + 'a');
        words.lower.push_back(std::move(word));
        i = end;
    }
    return words;
}

// A C-locale decimal (0 when the text is no number).
double Number(const std::string& word)
{
    char* end = nullptr;
    return StrToDoubleC(word.c_str(), &end);
}

// The number in word i when there is one, else `absent`; false when it is not finite or
// does not fit a float.
bool ReadNumber(const Words& words, std::size_t i, float absent, float& out)
{
    if (i >= words.size()) {
        out = absent;
        return true;
    }
    const double v = Number(words.lower[i]);
    if (!std::isfinite(v) || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
        return false;
    out = static_cast<float>(v);
    return true;
}

// A whole amount: truncated within the int range.
int WholeAmount(float amount)
{
    return static_cast<int>(
        std::trunc(std::clamp(static_cast<double>(amount), static_cast<double>(INT_MIN), static_cast<double>(INT_MAX))));
}

int ChannelOfLetter(char letter)
{
    switch (letter) {
    case 'a': return kChannelAltitude;
    case 'o': return kChannelLandOffset;
    case 'p': return kChannelPrescale;
    case 'r': return kChannelRainfall;
    case 's': return kChannelRoughness;
    case 't': return kChannelTemperature;
    case 'w': return kChannelWaterLevel;
    default: return -1;
    }
}

int RunTool(CKVDoc& doc, const Words& words)
{
    const char op = words.Letter(1);
    int channel = kChannelLandOffset;
    if (op != 'i' && op != 'm' && words.size() > 2) {
        channel = ChannelOfLetter(words.Letter(2));
        if (channel < 0)
            return kScriptBadArgument;
    }
    static constexpr char kToolOps[] = "bcefilmrs";
    if (op == '\0' || std::find(std::begin(kToolOps), std::end(kToolOps) - 1, op) == std::end(kToolOps) - 1)
        return kScriptBadTool;

    SurfMap& world = doc.GetWorld();
    auto changed = [&doc](int result) {
        if (result >= 0)
            doc.SetModifiedFlag(true);
    };

    if (op == 'i' || op == 'm') {
        if (words.size() < 6)
            return kScriptOk;
        float v[4];
        for (std::size_t k = 0; k < 4; ++k)
            if (!ReadNumber(words, k + 2, 0.0f, v[k]))
                return kScriptBadArgument;
        ViewBusyScope busy;
        if (op == 'i') {
            changed(doc.InciseFlow(v[0], v[1], v[2], v[3]));
        } else {
            // "y..." replaces the land offset, anything else adds to it.
            const float m = world.MoundFromSelection(v[0], v[1], words.Letter(4) == 'y', v[3]);
            if (m > 0.0f)
                doc.SetModifiedFlag(true);
        }
        return kScriptOk;
    }

    float amount = 0.0f, low = -kNoLimit, high = kNoLimit;
    if (!ReadNumber(words, 3, 0.0f, amount) || !ReadNumber(words, 4, -kNoLimit, low) ||
        !ReadNumber(words, 5, kNoLimit, high))
        return kScriptBadArgument;
    if (channel == kChannelRoughness) {
        low = std::max(low, 0.0f);
        high = std::min(high, kRoughnessMax);
    }
    // The clamp runs from word 3 up to word 4 (no upper limit without it).
    const float clampHigh = words.size() > 4 ? low : kNoLimit;
    if (op == 'c' && amount > clampHigh)
        return kScriptBadArgument;

    ViewBusyScope busy;
    const std::string& opWord = words.lower[1];
    switch (op) {
    case 'b': doc.BurnIn(); break;
    case 'c': changed(world.ClampChannel(channel, amount, clampHigh)); break;
    case 'e': break;
    case 'f':
        if (opWord == "fill_basins")
            doc.FillOffsetBasins();
        else if (opWord == "fill_lakes")
            doc.FillLakeBasins();
        else
            changed(world.GlobalSetChannel(channel, amount, doc.GetSampler()));
        break;
    case 'l': changed(world.AddToChannel(channel, -amount, low, high)); break;
    case 'r':
        if (opWord != "rivers")
            changed(world.AddToChannel(channel, amount, low, high));
        break;
    case 's': changed(world.SmoothChannel(channel, amount)); break;
    default: break;
    }
    return kScriptOk;
}

int RunRange(CKVDoc& doc, const Words& words)
{
    if (words.size() < 6)
        return kScriptBadArgument;
    int test = -1, combine = -1;
    switch (words.Letter(3)) {
    case 'b': test = 0; break;
    case 'n': test = 1; break;
    case 'g': test = 2; break;
    case 'l': test = 3; break;
    default: return kScriptBadArgument;
    }
    switch (words.Letter(4)) {
    case 'r': combine = 0; break;
    case 'a': combine = 1; break;
    case 's': combine = 2; break;
    default: return kScriptBadArgument;
    }
    float low = 0.0f, high = 0.0f;
    if (!ReadNumber(words, 5, 0.0f, low) || !ReadNumber(words, 6, kRangeHighDefault, high))
        return kScriptBadArgument;
    int kind = -1;
    switch (words.Letter(2)) {
    case 'a': kind = CKVDoc::kRangeAltitude; break;
    case 'r': kind = CKVDoc::kRangeRainfall; break;
    case 't': kind = CKVDoc::kRangeTemperature; break;
    default: return kScriptOk;
    }
    ViewBusyScope busy;
    doc.SelectRange(kind, low, high, test, combine);
    return kScriptOk;
}

int RunSelect(CKVDoc& doc, const Words& words)
{
    static constexpr char kSelectOps[] = "abcefilnrst";
    const char op = words.Letter(1);
    if (op == '\0' || std::find(std::begin(kSelectOps), std::end(kSelectOps) - 1, op) == std::end(kSelectOps) - 1)
        return kScriptBadSelect;
    if (op == 'r')
        return RunRange(doc, words);

    CSelection& selection = doc.GetSelection();
    float amount = 0.0f;
    const bool usesAmount = op == 'b' || op == 'c' || op == 'e' || op == 'f' || op == 't';
    if (usesAmount && !ReadNumber(words, 2, 0.0f, amount))
        return kScriptBadArgument;
    // More passes than the mask's larger side change nothing more.
    const int largerSide = std::max({selection.GetWidth(), selection.GetHeight(), 1});
    const int passes = std::min(WholeAmount(amount), largerSide);

    ViewBusyScope busy;
    switch (op) {
    case 'a': selection.SelectAll(); break;
    case 'b': selection.Border(passes); break;
    case 'c': selection.Contract(passes); break;
    case 'e': selection.Expand(passes); break;
    case 'f': selection.Feather(amount); break;
    case 'i': selection.Invert(); break;
    case 'l': {
        if (words.size() < 4)
            return kScriptOk;
        const char mode = words.Letter(3);
        return selection.LoadImage(words.original[2], mode == 'a' ? 1 : mode == 's' ? 2 : 0);
    }
    case 'n': selection.Deselect(); break;
    case 's':
        if (words.size() < 3)
            return kScriptOk;
        return selection.SaveImage(words.original[2]);
    case 't': selection.Binarize(WholeAmount(amount)); break;
    default: break;
    }
    return kScriptOk;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

int RunScriptLine(std::string& line)
{
    std::size_t cut = line.find('#');
    if (cut != std::string::npos)
        line.erase(cut);
    cut = line.find("//");
    if (cut != std::string::npos)
        line.erase(cut);
    const Words words = Split(line);
    if (words.size() == 0)
        return kScriptOk;
    if (words.size() < 2)
        return kScriptBadLine;
    const bool tool = words.lower[0] == "tool";
    if (!tool && words.lower[0] != "select")
        return kScriptBadLine;
    CKVDoc* doc = GetActiveDoc();
    if (doc == nullptr)
        return kScriptBadLine;
    return tool ? RunTool(*doc, words) : RunSelect(*doc, words);
}

int RunScriptFile(const std::string& path, std::vector<ScriptLineResult>* refused)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return -1;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rt"));
    if (!file)
        return -1;

    std::string line;
    bool tooLong = false;
    int number = 0;
    auto runLine = [&] {
        ++number;
        const int code = tooLong ? kScriptBadLine : RunScriptLine(line);
        if (code < 0 && refused != nullptr)
            refused->push_back({number, code});
        line.clear();
        tooLong = false;
    };

    // Lines are read whole, however long; one longer than kMaxScriptLine is skipped.
    std::vector<char> buffer(1 << 16);
    bool pending = false;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file.get())) > 0) {
        const char* p = buffer.data();
        const char* end = p + got;
        while (p < end) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
            const char* stop = newline != nullptr ? newline : end;
            const std::size_t length = static_cast<std::size_t>(stop - p);
            if (!tooLong) {
                if (line.size() + length > kMaxScriptLine) {
                    tooLong = true;
                    line.clear();
                    line.shrink_to_fit();
                } else {
                    line.append(p, length);
                }
            }
            pending = true;
            if (newline == nullptr)
                break;
            runLine();
            pending = false;
            p = newline + 1;
        }
    }
    if (pending)
        runLine();
    return 0;
}

std::string ScriptRefusalReason(int code)
{
    switch (code) {
    case kScriptBadLine: return "not a command (\"tool\" or \"select\" and an operation), or too long";
    case kScriptBadTool: return "unknown tool operation";
    case kScriptBadSelect: return "unknown selection operation";
    case kScriptBadArgument: return "unknown channel, bad range or a number that is not usable";
    default: return FormatC("the selection image could not be read or written (error %d)", code);
    }
}

std::string ScriptRefusalsMessage(const std::string& name, const std::vector<ScriptLineResult>& refused)
{
    std::string text = FormatC("%zu line%s of %s %s not run (the other lines were):", refused.size(),
                               refused.size() == 1 ? "" : "s", name.c_str(),
                               refused.size() == 1 ? "was" : "were");
    for (std::size_t i = 0; i < refused.size() && i < kMostRefusalsListed; ++i)
        text += FormatC("\nLine %d: %s", refused[i].line, ScriptRefusalReason(refused[i].code).c_str());
    if (refused.size() > kMostRefusalsListed)
        text += FormatC("\n... and %zu more", refused.size() - kMostRefusalsListed);
    return text;
}

} // namespace kv
