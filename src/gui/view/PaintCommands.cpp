#include "gui/view/PaintCommands.h"

#include "base/DisplayUnits.h"
#include "document/CKVDoc.h"
#include "gui/commands/CommandIds.h"
#include "gui/tools/CToolSettingsDlg.h"
#include "shading/ShaderIds.h"
#include "view/CKVView.h"
#include "view/ViewCommands.h"
#include "view/ViewInput.h"
#include "world/SurfMap.h"

#include <QApplication>
#include <QGuiApplication>

#include <algorithm>

namespace kv {

namespace {

using namespace cmd;

constexpr struct {
    int command;
    int tool;
} kPaintCommands[] = {
    {kPaintLowerTemperature, 3}, {kPaintRaiseTemperature, 4}, {kPaintLowerRainfall, 5}, {kPaintRaiseRainfall, 6},
    {kPaintLowerOffset, 7},      {kPaintRaiseOffset, 8},      {kPaintRaiseRoughness, 9}, {kPaintLowerRoughness, 10},
    {kPaintWaterLevel, 11},      {kPaintClimate, 12},         {kPaintValueOffset, 13},   {kPaintValueRoughness, 14},
    {kPaintValueTemperature, 15}, {kPaintValueRainfall, 16},  {kPaintLowerPrescale, 36}, {kPaintRaisePrescale, 37},
    {kPaintValuePrescale, 38},
};

constexpr struct {
    int command;
    int bits;
} kSizeCommands[] = {
    {kBrushSizeXL, ViewInput::kSizeXL},
    {kBrushSizeLG, ViewInput::kSizeLG},
    {kBrushSizeSM, ViewInput::kSizeSM},
    {kBrushSizeXS, ViewInput::kSizeXS},
};

// The other tools' commands: { command, tool id, family bits of the tool code }.
constexpr int kPainting = ViewInput::kPaintingFamily;
constexpr int kOverlay = ViewInput::kPaintingFamily | ViewInput::kOverlayTool;
constexpr struct {
    int command;
    int tool;
    int family;
} kToolCommands[] = {
    {kToolZoomWindow, 1, 0},
    {kToolPan, 2, 0},
    {kToolRecenter, 17, 0},
    {kToolSelectFreehand, 18, 0},
    {kToolSelectPolygon, 19, 0},
    {kToolSelectRectangle, 20, 0},
    {kToolSelectEllipse, 21, 0},
    {kToolSelectBrush, 22, kPainting},
    {kToolSelectPencil, 23, kPainting},
    {kToolWandAltitude, 24, 0},
    {kToolWandRainfall, 25, 0},
    {kToolWandTemperature, 26, 0},
    {kToolWandClimate, 27, 0},
    {kToolRuler, 28, 0},
    {kToolCrater, ViewInput::kCraterTool, kPainting},
    {kToolOverlayPaint, 31, kOverlay},
    {kToolOverlayErase, 32, kOverlay},
    {kToolSelectColorPicker, 34, 0},
    {kToolOverlayColorPicker, 44, 0},
    {kToolGradientOffset, 39, 0},
    {kToolGradientPrescale, 40, 0},
    {kToolGradientRoughness, 41, 0},
    {kToolGradientRainfall, 42, 0},
    {kToolGradientTemperature, 43, 0},
};

constexpr int kOverlayEraseTool = 32;
constexpr int kClimateTool = 12;
constexpr int kHintRedraw = 1;

bool IsPrescaleTool(int tool) { return (tool >= 36 && tool <= 38) || tool == 40; }

} // namespace

PaintCommands::PaintCommands(CKVDoc& document, CKVView& view, ViewInput& input)
    : m_document(document), m_view(view), m_input(input)
{
    shiftHeld = [] { return (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) != 0; };
    askToolSettings = [](ToolSettingsValues& values, bool metric) {
        CToolSettingsDlg dialog(values, metric, QApplication::activeWindow());
        if (dialog.exec() != QDialog::Accepted)
            return false;
        values = dialog.Values();
        return true;
    };
    m_global = std::make_unique<GlobalAdjustCommands>(document, *this);
}

int PaintCommands::ToolOf(int commandId)
{
    for (const auto& c : kPaintCommands)
        if (c.command == commandId)
            return c.tool;
    return 0;
}

int PaintCommands::ToolCommandOf(int commandId)
{
    for (const auto& c : kToolCommands)
        if (c.command == commandId)
            return c.tool | c.family;
    return -1;
}

int PaintCommands::SizeOf(int commandId)
{
    for (const auto& c : kSizeCommands)
        if (c.command == commandId)
            return c.bits;
    return 0;
}

int PaintCommands::ClimateClassOf(int commandId)
{
    if (commandId >= kClimateClassFirst && commandId <= kClimateClassLast)
        return commandId - kClimateClassFirst;
    return commandId == kClimateDefaultModel ? kDefaultModel : kNoClimateClass;
}

bool PaintCommands::HasCommand(int id) const
{
    return ToolOf(id) != 0 || SizeOf(id) != 0 || id == kToolOptions || ToolCommandOf(id) >= 0 ||
           FindGlobalCommand(id) != nullptr || ClimateClassOf(id) != kNoClimateClass;
}

void PaintCommands::SelectClimateClass(int code)
{
    // The class code is the climate tool's amount; the overlay tools draw in the class's
    // colour, as opaque as the active overlay.
    m_input.SetToolAmount(kClimateTool, static_cast<float>(code));
    if (code == kDefaultModel) {
        m_input.SetDrawingColour(0);
    } else {
        int alpha = 255;
        m_input.Host().ActiveOverlayOpacity(alpha);
        const uint32_t rgb = m_document.GetWorld().climate.ClimateColor(code) & 0x00FFFFFFu;
        m_input.SetDrawingColour(rgb | (static_cast<uint32_t>(std::clamp(alpha, 0, 255)) << 24));
    }
    // A climate tool in hand takes the new class at once (its panel shows the value it paints).
    if (m_input.CurrentId() == kClimateTool)
        m_input.RebuildTool();
    m_input.SyncToolValues();
}

bool PaintCommands::HasActiveOverlay() const { return m_document.GetOverlays().GetActive() != nullptr; }

bool PaintCommands::ToolEnabled(int code) const
{
    const int tool = code & ViewInput::kIdMask;
    if (code & ViewInput::kOverlayTool)
        return HasActiveOverlay();
    const SurfMap& world = m_document.GetWorld();
    return !IsPrescaleTool(tool) || (world.prescaleEnabled && world.Channel(kChannelPrescale));
}

void PaintCommands::OnToolCommand(int code)
{
    const int tool = code & ViewInput::kIdMask;
    // The overlay eraser starts from a cleared drawing colour.
    if (tool == kOverlayEraseTool)
        m_input.SetDrawingColour(0);
    m_input.SetTool(code, -1, false, tool == ViewInput::kCraterTool ? m_input.CraterRadiusDegrees() : 0.0);
}

void PaintCommands::OnCommand(int id)
{
    if (id == kToolOptions) {
        OnToolOptions();
        return;
    }
    if (const int bits = SizeOf(id)) {
        m_input.SetToolSize(bits);
        return;
    }
    if (FindGlobalCommand(id) != nullptr) {
        m_global->OnCommand(id);
        return;
    }
    if (const int code = ToolCommandOf(id); code >= 0) {
        OnToolCommand(code);
        return;
    }
    if (const int code = ClimateClassOf(id); code != kNoClimateClass) {
        SelectClimateClass(code);
        return;
    }
    const int tool = ToolOf(id);
    if (tool == 0)
        return;
    if (tool == kClimateTool) {
        if (!ViewCommands::HasClimateData(m_document))
            return;
        // Painting climates is seen in the climate shader.
        if (m_view.GetShader() != kShaderClimate) {
            m_view.SetShader(kShaderClimate);
            m_view.OnUpdate(kHintRedraw);
        }
    }
    if (shiftHeld && shiftHeld() && GlobalCommandForShiftedPaint(id) != 0) {
        m_global->OnShiftedPaintCommand(id);
        return;
    }
    m_input.SetTool(tool | ViewInput::kPaintingFamily);
}

void PaintCommands::OnUpdateCommand(int id, CommandState& state)
{
    if (id == kToolOptions)
        return;
    if (FindGlobalCommand(id) != nullptr) {
        state.enabled = m_global->IsEnabled(id);
        return;
    }
    if (ClimateClassOf(id) != kNoClimateClass)
        return;
    state.checkable = true;
    if (const int code = ToolCommandOf(id); code >= 0) {
        state.enabled = ToolEnabled(code);
        state.checked = m_input.CurrentId() == (code & ViewInput::kIdMask);
        return;
    }
    if (const int bits = SizeOf(id)) {
        const bool painting = m_input.IsPaintingTool() && m_input.CurrentId() != 0;
        state.enabled = painting;
        state.checked = painting && m_input.CurrentSizeBits() == bits;
        return;
    }
    const int tool = ToolOf(id);
    state.enabled = ToolEnabled(tool) && (tool != kClimateTool || ViewCommands::HasClimateData(m_document));
    state.checked = m_input.CurrentId() == tool;
}

void PaintCommands::OnToolOptions()
{
    m_view.EnterBusy();
    const bool metric = IsMetric();
    ToolSettingsValues values = ToolSettingsFromView(m_input, metric);
    if (askToolSettings && askToolSettings(values, metric))
        ApplyToolSettings(m_input, values, metric);
    m_view.LeaveBusy();
}

void PaintCommands::EnterBusy() { m_view.EnterBusy(); }
void PaintCommands::LeaveBusy() { m_view.LeaveBusy(); }
void PaintCommands::RestartRender() { m_view.OnUpdate(16); }

} // namespace kv
