#include "document/ProcessCurvesDlg.h"

#include "base/DisplayUnits.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr float kLimitLineEpsilon = 0.0001f;
const char* const kRemapFilter = "Altitude Remap Files (*.remap)|*.remap|All Files (*.*)|*.*||";

CurveFileRequest RemapRequest(bool save)
{
    CurveFileRequest request;
    request.save = save;
    request.title = save ? "Save Remap File" : "Open Remap File";
    request.defaultExtension = "remap";
    request.filter = kRemapFilter;
    request.initialPath = ProcessCurvesDlg::LastPath();
    request.mustExist = !save;
    return request;
}

} // namespace

std::string& ProcessCurvesDlg::LastPath()
{
    static std::string path;
    return path;
}

std::vector<int> ProcessCurvesDlg::HiddenControls()
{
    return {5389, curves_ids::kUpper, curves_ids::kUpperUnit, 5394, curves_ids::kLower, curves_ids::kLowerUnit,
            curves_ids::kWorldAltitude};
}

void ProcessCurvesDlg::OnInitDialog(bool metric)
{
    m_metric = metric;
    m_unitLabel = metric ? "m" : "ft";
    if (!metric) {
        const auto feet = static_cast<float>(kFeetPerMetre);
        lower *= feet;
        upper *= feet;
        worldLowest *= feet;
        worldHighest *= feet;
    }
    ResampleToBox();
}

void ProcessCurvesDlg::ResampleToBox()
{
    const int n = m_box.width - 2;
    if (n < 1 || curve.Count() >= n)
        return;
    RemapCurve resampled;
    resampled.samples.resize(static_cast<std::size_t>(n));
    const int denominator = std::max(1, n - 1);
    for (int i = 0; i < n; ++i)
        resampled.samples[static_cast<std::size_t>(i)] =
            curve.Evaluate(static_cast<float>(i) / static_cast<float>(denominator));
    resampled.scaleLow = 0.0f;
    resampled.scaleHigh = 1.0f;
    curve = resampled;
}

CurvePicture ProcessCurvesDlg::GetPicture() const
{
    CurvePicture picture;
    const int w = m_box.width, h = m_box.height;
    if (showLimits) {
        picture.hasLimitLine = true;
        picture.limitY = static_cast<int>(upper / (std::fabs(upper - lower) + kLimitLineEpsilon) * h);
    }
    if (w < 2)
        return picture;
    const int last = w - 2;
    for (int i = 0; i <= last; ++i) {
        const float x = last > 0 ? static_cast<float>(i) / static_cast<float>(last) : 0.0f;
        const float y = static_cast<float>(h - 1) - static_cast<float>(h - 1) * curve.Evaluate(x);
        picture.curve.push_back({i + 1, static_cast<int>(y)});
    }
    return picture;
}

void ProcessCurvesDlg::SetSampleAt(int x, int y)
{
    const int n = curve.Count();
    if (n < 1 || m_box.width < 1 || m_box.height < 1)
        return;
    // A drag may leave the box: the point is held at its edge.
    x = std::clamp(x, m_box.left, m_box.left + m_box.width - 1);
    y = std::clamp(y, m_box.top, m_box.top + m_box.height - 1);
    const float value =
        m_box.height > 1 ? 1.0f - static_cast<float>(y - m_box.top) / static_cast<float>(m_box.height - 1) : 1.0f;
    const float across =
        m_box.width > 1 ? static_cast<float>(x - m_box.left) / static_cast<float>(m_box.width - 1) : 0.0f;
    const int index = std::clamp(static_cast<int>(across * static_cast<float>(n - 1)), 0, n - 1);
    curve.samples[static_cast<std::size_t>(index)] = value;
}

bool ProcessCurvesDlg::OnLButtonDown(int x, int y)
{
    if (x < m_box.left || y < m_box.top || x >= m_box.left + m_box.width || y >= m_box.top + m_box.height)
        return false;
    SetSampleAt(x, y);
    dragging = true;
    lastX = x;
    lastY = y;
    return true;
}

bool ProcessCurvesDlg::OnMouseMove(int x, int y)
{
    if (!dragging)
        return false;
    const int x0 = lastX, y0 = lastY;
    const int from = std::min(x0, x), to = std::max(x0, x);
    for (int px = from; px <= to; ++px) {
        const int py = x == x0 ? y : y0 + (y - y0) * (px - x0) / (x - x0);
        SetSampleAt(px, py);
    }
    lastX = x;
    lastY = y;
    return true;
}

void ProcessCurvesDlg::OnLButtonUp() { dragging = false; }

void ProcessCurvesDlg::OnApply()
{
    const float e = exponent;
    for (float& s : curve.samples) {
        const float v = std::pow(s, e);
        s = std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
    }
    curve.Normalize();
}

void ProcessCurvesDlg::OnReset()
{
    const int n = curve.Count();
    for (int i = 0; i < n; ++i)
        curve.samples[static_cast<std::size_t>(i)] = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
    curve.Normalize();
}

void ProcessCurvesDlg::OnSmooth()
{
    const std::vector<float> old = curve.samples;
    const std::size_t n = old.size();
    for (std::size_t i = 0; i < n; ++i) {
        const float before = i > 0 ? old[i - 1] : old[i];
        const float after = i + 1 < n ? old[i + 1] : old[i];
        curve.samples[i] = (before + old[i] + after) * 0.33333334f;
    }
}

void ProcessCurvesDlg::OnNormalize() { curve.Normalize(); }

void ProcessCurvesDlg::OnInvert()
{
    for (float& s : curve.samples)
        s = 1.0f - s;
}

void ProcessCurvesDlg::OnWorldAltitude()
{
    lower = worldLowest;
    upper = worldHighest;
}

bool ProcessCurvesDlg::OnLoad(CurveFileChooser& chooser)
{
    std::string path;
    if (!chooser.ChooseFile(RemapRequest(false), path))
        return false;
    LastPath() = path;
    const bool loaded = curve.LoadFromFile(path) == 0;
    ResampleToBox();
    return loaded;
}

bool ProcessCurvesDlg::OnSave(CurveFileChooser& chooser)
{
    std::string path;
    if (!chooser.ChooseFile(RemapRequest(true), path))
        return false;
    LastPath() = path;
    return curve.SaveToFile(path) == 0;
}

void ProcessCurvesDlg::OnOK()
{
    if (!m_metric) {
        const auto metres = static_cast<float>(kMetresPerFoot);
        lower *= metres;
        upper *= metres;
    }
}

} // namespace kv
