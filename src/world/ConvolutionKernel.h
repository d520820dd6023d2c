// A square weight grid carried inside every brush definition: odd size 1..33 (7 by
// default), a scale, a symmetry number and one more int. Painting does not use it; brushes
// copy, compare and store it in their text form.
#pragma once

#include <string>
#include <vector>

namespace kv {

class CTokenizer;

class ConvolutionKernel {
public:
    static constexpr int kMinSize = 1;
    static constexpr int kMaxSize = 33;
    static constexpr int kDefaultSize = 7;

    // The 7 x 7 identity kernel, scale 1.0, symmetry and extra 0.
    ConvolutionKernel();
    ConvolutionKernel(const ConvolutionKernel&) = default;
    ConvolutionKernel& operator=(const ConvolutionKernel&) = default;
    bool operator==(const ConvolutionKernel&) const = default;

    // A new size (made odd) with the identity kernel: 0, or -1 for a size outside 1..33
    // (nothing changes then).
    int Init(int size, float scale, int symmetry, int extra);

    int GetSize() const { return m_size; }
    float GetScale() const { return m_scale; }
    int GetSymmetry() const { return m_symmetry; }
    int GetExtra() const { return m_extra; }
    float At(int row, int col) const { return m_weights[static_cast<std::size_t>(row * m_size + col)]; }
    void Set(int row, int col, float weight) { m_weights[static_cast<std::size_t>(row * m_size + col)] = weight; }

    // The block after the "Kernel" line: the size, "Scale", the symmetry, the extra value
    // (those without a keyword name, each one signed number), "Data", one line of " %10.5f,"
    // items per row (arithmetic allowed) and an empty end line.
    void AppendText(std::string& out) const;
    // Reads that block from the token after "Kernel": 0, or -1 (kernel unchanged) when a
    // number does not read, the size lies outside 1..33 or "Scale" or "Data" is missing.
    int ReadText(CTokenizer& tokenizer);

private:
    int m_size = kDefaultSize;
    float m_scale = 1.0f;
    int m_symmetry = 0;
    int m_extra = 0;
    std::vector<float> m_weights;
};

} // namespace kv
