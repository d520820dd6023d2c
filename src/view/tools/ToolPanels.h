// The option panels of the map-editing tools as the tools see them, and the tool options
// bar that makes them. The window side implements both; without a bar a tool has no panel
// and keeps its own values.
#pragma once

#include "view/tools/ToolOptionsBar.h"

#include <memory>
#include <string>

namespace kv {

// A panel number: the whole text in the C locale, finite and within float range; false
// for empty text, trailing characters, "nan", "inf" and overflow.
bool ParsePanelNumber(const std::string& text, double& value);
// A whole number within minimum..maximum.
bool ParsePanelInt(const std::string& text, int minimum, int maximum, int& value);

} // namespace kv
