#include "gui/view/PaintCommands.h"

#include "base/DisplayUnits.h"
#include "document/CKVDoc.h"
#include "gui/commands/CommandIds.h"
#include "gui/tools/CToolSettingsDlg.h"
#include "view/CKVView.h"
#include "view/ViewInput.h"
#include "world/SurfMap.h"

#include <QApplication>
#include <QGuiApplication>

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

bool IsPrescaleTool(int tool) { return tool >= 36 && tool <= 38; }

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

int PaintCommands::SizeOf(int commandId)
{
    for (const auto& c : kSizeCommands)
        if (c.command == commandId)
            return c.bits;
    return 0;
}

bool PaintCommands::HasCommand(int id) const { return ToolOf(id) != 0 || SizeOf(id) != 0 || id == kToolOptions; }

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
    const int tool = ToolOf(id);
    if (tool == 0)
        return;
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
    state.checkable = true;
    if (const int bits = SizeOf(id)) {
        const bool painting = m_input.IsPaintingTool() && m_input.CurrentId() != 0;
        state.enabled = painting;
        state.checked = painting && m_input.CurrentSizeBits() == bits;
        return;
    }
    const int tool = ToolOf(id);
    const SurfMap& world = m_document.GetWorld();
    state.enabled = !IsPrescaleTool(tool) || (world.prescaleEnabled && world.Channel(kChannelPrescale));
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
