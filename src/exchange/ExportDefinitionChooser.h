// Choosing a stored export definition (".xpt") by name.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct ExportDefinitionChoice {
    static constexpr const char* kExtension = "xpt";

    std::vector<std::string> names; // sorted, extension removed
    int selected = -1;              // the preselected entry, or -1

    // "Export Definition Files (*.xpt)|*.xpt||": a filter for callers that browse instead.
    static std::string Filter();
    // Lists `folder`'s definitions and preselects `name`: the list is searched from its
    // last entry to its first for an exact, case-sensitive match.
    static ExportDefinitionChoice List(const std::string& folder, const std::string& name);
    // What OK gives: the selected name, or false (the dialog ends as cancelled) when
    // nothing is selected.
    bool Chosen(std::string& name) const;
};

} // namespace kv
