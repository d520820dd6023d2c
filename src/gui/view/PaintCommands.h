// The map view's tool commands: each paint command selects its paint tool (Shift with a
// raise/lower command runs that channel's global command instead), the other tool commands
// select zoom, pan, recentre, the selection tools, ruler, crater, overlay paint and erase,
// the colour pickers and the gradients; then the brush size classes, Tool Options (the tool
// settings dialog), the entries of the Global submenus and the Climate Selector's classes.
// Update handlers enable and check them as the view's current tool, the active overlay, the
// prescale grid and the world's climate data ask.
#pragma once

#include "gui/commands/CommandTable.h"
#include "view/GlobalAdjustCommands.h"
#include "view/ToolSettings.h"

#include <functional>
#include <memory>

namespace kv {

class CKVDoc;
class CKVView;
class ViewInput;

class PaintCommands : public CommandTarget, public GlobalAdjustView {
public:
    PaintCommands(CKVDoc& document, CKVView& view, ViewInput& input);

    // The tool id of a paint command; 0 for another id.
    static int ToolOf(int commandId);
    // The size bits of a size command; 0 for another id.
    static int SizeOf(int commandId);
    // The tool code (id and family bits) of one of the other tool commands; -1 for another id.
    static int ToolCommandOf(int commandId);
    // The climate class of a Climate Selector command: 0..16, kDefaultModel for Default
    // Model, kNoClimateClass for another id.
    static constexpr int kDefaultModel = -1;
    static constexpr int kNoClimateClass = -2;
    static int ClimateClassOf(int commandId);
    // The class the climate tool paints (kDefaultModel: the model's own) and the overlay
    // tools' drawing colour: the class's colour, with the active overlay's opacity (else
    // opaque); none for Default Model.
    void SelectClimateClass(int code);

    bool HasCommand(int id) const override;
    void OnCommand(int id) override;
    void OnUpdateCommand(int id, CommandState& state) override;

    // Whether Shift is held (tests replace it).
    std::function<bool()> shiftHeld;
    // Shows the tool settings dialog over the values; true on OK (tests answer it).
    std::function<bool(ToolSettingsValues&, bool metric)> askToolSettings;

private:
    void EnterBusy() override;
    void LeaveBusy() override;
    void RestartRender() override;
    void StoreView() override {}
    void OnToolOptions();
    void OnToolCommand(int code);
    // Overlay tools need the document's active overlay, prescale tools the prescale grid.
    bool ToolEnabled(int code) const;
    bool HasActiveOverlay() const;

    CKVDoc& m_document;
    CKVView& m_view;
    ViewInput& m_input;
    std::unique_ptr<GlobalAdjustCommands> m_global;
};

} // namespace kv
