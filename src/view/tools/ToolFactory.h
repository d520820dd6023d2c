// Builds the tool object for a tool code: one table line per tool class, by tool id.
#pragma once

#include <memory>

namespace kv {

class MouseTool;
class ToolWindow;

// What the factory hands to a tool's constructor.
struct ToolCreateArgs {
    int code = 0;           // the full tool code
    int size = 0;           // the size preset for the code's size bits
    double argument = 0.0;  // the tool's own argument (crater radius, picker target ...)
    bool spherical = true;  // the world is a sphere (ruler and crater choose by it)
    bool zoomWindowStyle = false; // preference ZS: click-drag-release zoom
    ToolWindow* window = nullptr;
};

using MouseToolMaker = std::unique_ptr<MouseTool> (*)(const ToolCreateArgs&);

struct MouseToolEntry {
    int id;
    MouseToolMaker make;
};

// Builds the tool for args.code into `tool` (its code is set); true when the id is known.
// An id with no table line gives the plain no-action tool and false.
bool CreateMouseTool(const ToolCreateArgs& args, std::unique_ptr<MouseTool>& tool);

// The table (tests look at it).
const MouseToolEntry* MouseToolTable(int& count);

} // namespace kv
