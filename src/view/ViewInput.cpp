#include "view/ViewInput.h"

#include "base/AppSettings.h"
#include "view/tools/MouseTool.h"
#include "view/tools/ToolFactory.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kv {

namespace {

constexpr const char* kTools = "Tools";
constexpr float kUnlimited = 1e20f;

// Stored amounts are the value x 1000 as a 32-bit integer.
int ToThousandths(double value)
{
    const double scaled = std::round(value * 1000.0);
    if (!std::isfinite(scaled))
        return 0;
    return static_cast<int>(std::clamp(scaled, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

float FromThousandths(int stored) { return static_cast<float>(stored * 0.001); }

// Which amount a tool id paints with.
enum class Channel { None, Temperature, Rainfall, Offset, Roughness, Water, Climate, Prescale };

Channel ChannelOf(int id)
{
    switch (id) {
    case 3: case 4: case 15: return Channel::Temperature;
    case 5: case 6: case 16: return Channel::Rainfall;
    case 7: case 8: case 13: return Channel::Offset;
    case 9: case 10: case 14: return Channel::Roughness;
    case 11: return Channel::Water;
    case 12: return Channel::Climate;
    case 36: case 37: case 38: return Channel::Prescale;
    default: return Channel::None;
    }
}

} // namespace

ViewInput::ViewInput(ToolHost& host) : m_host(host) {}

ViewInput::~ViewInput()
{
    ToolEvent event = MakeEvent(kToolMsgNone);
    if (m_tool)
        m_tool->Deactivate(event);
    m_tool.reset();
    if (m_suspended)
        m_suspended->Deactivate(event);
    m_suspended.reset();
}

void ViewInput::ReadProfile(const AppSettings& p)
{
    m_amounts.temperature = FromThousandths(p.GetInt(kTools, "Temp", 1000));
    m_amounts.rainfall = FromThousandths(p.GetInt(kTools, "Rain", 1000));
    m_amounts.roughness = FromThousandths(p.GetInt(kTools, "Scale", 100));
    m_amounts.offset = FromThousandths(p.GetInt(kTools, "Ofs", 50000));
    m_amounts.water = FromThousandths(p.GetInt(kTools, "Water", 100000));
    m_amounts.prescale = FromThousandths(p.GetInt(kTools, "PreOfs", 10));
    m_amounts.climate = std::clamp(p.GetInt(kTools, "Clim", 0), -1, kMaxClimateCode);
    presetXL = std::clamp(p.GetInt(kTools, "XL", 31), 0, kMaxBrushSize);
    presetLG = std::clamp(p.GetInt(kTools, "LG", 20), 0, kMaxBrushSize);
    presetSM = std::clamp(p.GetInt(kTools, "SM", 10), 0, kMaxBrushSize);
    presetXS = std::clamp(p.GetInt(kTools, "XS", 3), 0, kMaxBrushSize);
    craterSize = std::clamp(p.GetInt(kTools, "Crater", 500000) * 0.001, kMinCraterSize, kMaxCraterSize);
    // The step is written under "dSea"; older profiles only have "Sea".
    seaStep = static_cast<float>(p.GetInt(kTools, "dSea", p.GetInt(kTools, "Sea", 5)));
}

void ViewInput::WriteProfile(const AppSettings& p) const
{
    p.WriteInt(kTools, "Temp", ToThousandths(m_amounts.temperature));
    p.WriteInt(kTools, "Rain", ToThousandths(m_amounts.rainfall));
    p.WriteInt(kTools, "Scale", ToThousandths(m_amounts.roughness));
    p.WriteInt(kTools, "Ofs", ToThousandths(m_amounts.offset));
    p.WriteInt(kTools, "Water", ToThousandths(m_amounts.water));
    p.WriteInt(kTools, "PreOfs", ToThousandths(m_amounts.prescale));
    p.WriteInt(kTools, "Clim", m_amounts.climate);
    p.WriteInt(kTools, "XL", presetXL);
    p.WriteInt(kTools, "LG", presetLG);
    p.WriteInt(kTools, "SM", presetSM);
    p.WriteInt(kTools, "XS", presetXS);
    p.WriteInt(kTools, "Crater", ToThousandths(craterSize));
    const double sea = std::isfinite(seaStep) ? std::clamp<double>(seaStep, INT_MIN, INT_MAX) : 5.0;
    p.WriteInt(kTools, "dSea", static_cast<int>(sea));
}

int ViewInput::CurrentCode() const { return m_tool ? m_tool->GetId() : 0; }

int ViewInput::SizePreset(int sizeBits) const
{
    switch (sizeBits & kSizeMask) {
    case kSizeXL: return presetXL;
    case kSizeLG: return presetLG;
    case kSizeXS: return presetXS;
    default: return presetSM;
    }
}

double ViewInput::CraterRadiusDegrees() const
{
    const double size = std::max(craterSize, kMinCraterForRadius);
    const SurfMap* world = const_cast<ToolHost&>(m_host).World();
    const double circumference = world ? world->circumference : 40233.60049724579;
    if (!(circumference > 0.0))
        return 0.0;
    return size / (circumference / 360.0) * 0.5;
}

ToolEvent ViewInput::MakeEvent(int message) const
{
    ToolEvent event;
    event.message = message;
    event.world = m_host.World();
    event.view = const_cast<ViewInput*>(this);
    event.optionsBar = m_host.OptionsBar();
    event.window = m_host.Window();
    event.canvas = m_host.FeedbackTarget();
    return event;
}

void ViewInput::CreateFirstTool(bool startupFile)
{
    // The no-action tool's code carries the extra-large bits; the current size stays small,
    // so the first paint tool chosen takes the small preset.
    m_sizeBits = kSizeSM;
    CreateAndFinish(startupFile ? (kSizeSM | kStartupTool) : (kSizeXL | kNoTool), 0.0);
}

bool ViewInput::SetTool(int id, int sizeBits, bool suspend, double argument)
{
    if (m_host.StartupFileActive())
        return false;
    if (sizeBits < 0)
        sizeBits = m_sizeBits;
    if (id < 0)
        id = CurrentCode() & ~kSizeMask;
    m_sizeBits = sizeBits;
    ToolEvent event = MakeEvent(kToolMsgNone);

    if (id == 0 && m_suspended) {
        if (m_tool)
            m_tool->Deactivate(event);
        m_tool = std::move(m_suspended);
        m_sizeBits = m_tool->GetId() & kSizeMask;
        m_tool->Resume(event);
        SyncToolValues();
        m_host.SetStatusText(m_tool->GetStatusText());
        return true;
    }

    int code = sizeBits | id;
    if (suspend && !m_suspended && m_tool) {
        m_tool->Suspend(event);
        m_suspended = std::move(m_tool);
        return CreateAndFinish(code, argument);
    }
    if (!suspend && m_tool && code == m_tool->GetId())
        code &= static_cast<int>(0xFFFFF000u);
    if (m_tool)
        m_tool->Deactivate(event);
    m_tool.reset();
    return CreateAndFinish(code, argument);
}

bool ViewInput::CreateAndFinish(int code, double argument)
{
    const int id = code & kIdMask;
    ToolCreateArgs args;
    args.code = code;
    args.size = SizePreset(code);
    args.argument = id == kCraterTool && argument == 0.0 ? CraterRadiusDegrees() : argument;
    const SurfMap* world = m_host.World();
    args.spherical = !world || world->sphericalMapping != 0;
    args.zoomWindowStyle = m_host.ZoomWindowStyle();
    args.window = m_host.Window();
    const bool known = CreateMouseTool(args, m_tool);
    m_tool->SetId(code);
    SyncToolValues();
    ToolEvent event = MakeEvent(kToolMsgNone);
    m_tool->Activate(event);
    m_host.SetStatusText(m_tool->GetStatusText());
    if ((code & kPaintingFamily) && id != 0 && m_host.BrushRecordInUse(id))
        m_host.ApplyBrushRecord(*m_tool, id);
    return known;
}

void ViewInput::SetToolSize(int sizeBits)
{
    const int code = CurrentCode();
    if (!(code & kPaintingFamily))
        return;
    const int id = code & kIdMask;
    if (id != 0 && m_host.BrushRecordInUse(id))
        m_host.SetBrushRecordSize(id, SizePreset(sizeBits));
    // Selected again with the new size: the same-tool rule must not apply.
    m_tool->SetId(0);
    SetTool(code & ~kSizeMask, sizeBits & kSizeMask);
}

void ViewInput::RebuildTool()
{
    const int code = CurrentCode();
    if (!m_tool || ((code & kIdMask) == 0 && m_suspended))
        return;
    // Its code is cleared first, so the same-tool rule does not apply.
    m_tool->SetId(0);
    SetTool(code & ~kSizeMask, code & kSizeMask);
}

void ViewInput::DropOverlayTool()
{
    if (m_suspended && (m_suspended->GetId() & kOverlayTool))
        SetTool(0);
    if (m_tool && (CurrentCode() & kOverlayTool))
        SetTool(0);
}

void ViewInput::SyncToolValues()
{
    const int id = CurrentCode() & kIdMask;
    const ToolAmounts& a = m_amounts;
    auto set = [this](float value, float minimum, float maximum) {
        m_value = value;
        m_minimum = minimum;
        m_maximum = maximum;
    };
    switch (id) {
    case 3: set(-a.temperature, -1000.0f, 1000.0f); break;
    case 4: case 15: set(a.temperature, -1000.0f, 1000.0f); break;
    case 5: set(-a.rainfall, -2500.0f, 2500.0f); break;
    case 6: case 16: set(a.rainfall, -2500.0f, 2500.0f); break;
    case 7: set(-a.offset, -kUnlimited, kUnlimited); break;
    case 8: case 13: set(a.offset, -kUnlimited, kUnlimited); break;
    case 9: case 14: set(a.roughness, 0.0f, 500.0f); break;
    case 10: set(-a.roughness, 0.0f, 500.0f); break;
    case 11: set(a.water, -kUnlimited, kUnlimited); break;
    case 12: set(static_cast<float>(a.climate), 0.0f, static_cast<float>(kMaxClimateCode)); break;
    case 36: set(-a.prescale, -kUnlimited, kUnlimited); break;
    case 37: case 38: set(a.prescale, -kUnlimited, kUnlimited); break;
    default: break;
    }
    if (m_tool && (CurrentCode() & kOverlayTool)) {
        int alpha = 255;
        if (m_host.ActiveOverlayOpacity(alpha))
            m_drawingColour = (m_drawingColour & 0x00FFFFFFu) | (static_cast<uint32_t>(std::clamp(alpha, 0, 255)) << 24);
        m_host.GiveOverlayTool(*m_tool, m_drawingColour);
    }
}

void ViewInput::SetToolAmount(int code, float value)
{
    switch (ChannelOf(code & kIdMask)) {
    case Channel::Temperature: m_amounts.temperature = value; break;
    case Channel::Rainfall: m_amounts.rainfall = value; break;
    case Channel::Offset: m_amounts.offset = value; break;
    case Channel::Roughness: m_amounts.roughness = value; break;
    case Channel::Water: m_amounts.water = value; break;
    case Channel::Climate: m_amounts.climate = static_cast<int>(value); break;
    case Channel::Prescale: m_amounts.prescale = value; break;
    case Channel::None: break;
    }
    m_value = value;
}

float ViewInput::AmountFor(int code) const
{
    switch (ChannelOf(code & kIdMask)) {
    case Channel::Temperature: return m_amounts.temperature;
    case Channel::Rainfall: return m_amounts.rainfall;
    case Channel::Offset: return m_amounts.offset;
    case Channel::Roughness: return m_amounts.roughness;
    case Channel::Water: return m_amounts.water;
    case Channel::Climate: return static_cast<float>(m_amounts.climate);
    case Channel::Prescale: return m_amounts.prescale;
    case Channel::None: break;
    }
    return 0.0f;
}

bool ViewInput::PaintStroke(int code, int x, int y, bool press, ChannelBrush& brush)
{
    brush.SetValue(m_value);
    brush.SetRange(m_minimum, m_maximum);
    return m_host.PaintStroke(code, x, y, press, brush);
}

CursorInfo ViewInput::EvaluateAt(double latitude, double longitude)
{
    CursorInfo info;
    info.onMap = true;
    info.latitude = latitude;
    info.longitude = longitude;
    m_host.EvaluatePoint(info);
    return info;
}

void ViewInput::UpdateCursorInfo(int x, int y)
{
    CursorInfo info;
    info.x = x;
    info.y = y;
    info.onMap = m_host.PixelToLatLon(x, y, info.latitude, info.longitude);
    if (!info.onMap)
        info.latitude = info.longitude = 0.0;
    else
        m_host.EvaluatePoint(info);
    m_cursor = info;
    m_host.ShowCursorInfo(m_cursor);
}

bool ViewInput::OnMouse(int message, unsigned keyFlags, int x, int y, int wheelDelta)
{
    UpdateCursorInfo(x, y);
    if (!m_tool)
        return false;
    ToolEvent event = MakeEvent(message);
    event.keyFlags = keyFlags;
    event.x = x;
    event.y = y;
    event.wheelDelta = static_cast<int16_t>(std::clamp(wheelDelta, -32768, 32767));
    switch (message) {
    case kToolMsgLButtonDown: return m_tool->OnLButtonDown(event);
    case kToolMsgLButtonUp: return m_tool->OnLButtonUp(event);
    case kToolMsgRButtonDown: return m_tool->OnRButtonDown(event);
    case kToolMsgRButtonUp: return m_tool->OnRButtonUp(event);
    case kToolMsgMouseMove: return m_tool->OnMouseMove(event);
    case kToolMsgMouseWheel: return m_tool->OnMouseWheel(event);
    default: return false;
    }
}

bool ViewInput::OnKeyDown(int keyCode, bool autoRepeat)
{
    (void)autoRepeat;
    const int id = CurrentCode() & kIdMask;
    if (keyCode == kKeySpace && id != kPanTool) {
        SetTool(kPanTool, -1, true);
        return true;
    }
    if (keyCode == kKeyZ && id != kZoomTool) {
        SetTool(kZoomTool, -1, true);
        return true;
    }
    if (!m_tool)
        return false;
    ToolEvent event = MakeEvent(kToolMsgKeyDown);
    event.keyCode = keyCode;
    return m_tool->OnKeyDown(event);
}

bool ViewInput::OnKeyUp(int keyCode, bool autoRepeat)
{
    // A held key repeats as release-press pairs: only the real release counts.
    if (autoRepeat)
        return true;
    const int id = CurrentCode() & kIdMask;
    if (m_suspended && ((keyCode == kKeySpace && id == kPanTool) || (keyCode == kKeyZ && id == kZoomTool))) {
        SetTool(0);
        return true;
    }
    if (!m_tool)
        return false;
    ToolEvent event = MakeEvent(kToolMsgKeyUp);
    event.keyCode = keyCode;
    return m_tool->OnKeyUp(event);
}

bool ViewInput::OnSetCursor()
{
    if (!m_tool)
        return false;
    ToolEvent event = MakeEvent(kToolMsgNone);
    return m_tool->SetCursor(event);
}

void ViewInput::OnContextMenu(int x, int y, bool fromKeyboard)
{
    if (fromKeyboard) {
        x = 5;
        y = 5;
    }
    if (m_tool) {
        ToolEvent event = MakeEvent(kToolMsgContextMenu);
        event.x = x;
        event.y = y;
        if (m_tool->OnContextMenu(event, x, y))
            return;
    }
    m_host.ShowContextMenu(x, y);
}

bool ViewInput::DrawFeedback(FeedbackCanvas& canvas)
{
    if (!m_tool)
        return false;
    ToolEvent event = MakeEvent(kToolMsgNone);
    event.canvas = &canvas;
    return m_tool->DrawFeedback(event);
}

} // namespace kv
