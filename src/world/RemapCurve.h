// A transfer curve from [0, 1] to [0, 1], held as equally spaced samples: sample i of n
// stands for the input i / (n - 1). Remap Altitudes maps altitudes through one and the
// profiled mound takes its cross-section from one.
//
// ".remap" text (keyword names of the tokenizer, C numeric locale):
//     SCurve
//     Scale,<low %f>,<high %f>
//       <sample %0.5f>        (one line per sample, two blanks first)
//     End
// Every number is read as an expression, so "1/3" is a valid sample; samples are clamped
// to [0, 1] as they are read (an expression that does not parse gives 1.0). The scale
// values are carried through the file and used by nothing.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kv {

class CTokenizer;

class RemapCurve {
public:
    // The straight line: samples 0.0 and 1.0, scale 0.0 .. 1.0.
    RemapCurve();

    // The curve at x: 0.0 without samples, the sample itself with one; otherwise x is
    // clamped to [0, 0.99999] (NaN counts as 0) and the two samples around it are
    // interpolated in single precision. An input of 1.0 gives a value just short of the
    // last sample.
    float Evaluate(float x) const;

    // Rescales the samples to span exactly 0 .. 1; a flat curve (span below 0.00001) is
    // only shifted to 0.
    void Normalize();

    // Writes the ".remap" text: 0, or -1 when the file is null or a write fails.
    int Write(std::FILE* file, const CTokenizer& tokenizer) const;
    // Saves through a temporary file renamed over the target: 0, or -1 when the file
    // cannot be created or written (the target is then untouched).
    int SaveToFile(const std::string& path) const;
    // Reads a curve from the tokenizer's current token on: -1 (curve unchanged) when that
    // token is not "SCurve", else 0 (also at the end of the text without "End", keeping the
    // samples read so far).
    int Parse(CTokenizer& tokenizer);
    // The tokenizer's open result when the file cannot be opened (negative, curve
    // unchanged), else Parse's result.
    int LoadFromFile(const std::string& path);

    int Count() const { return static_cast<int>(samples.size()); }

    std::vector<float> samples;
    float scaleLow = 0.0f;
    float scaleHigh = 1.0f;
};

} // namespace kv
