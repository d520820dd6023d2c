// The file commands of the PW2 Export dialog over the ".xpt" definitions of one folder:
// Create (from "Default.xpt" through the wizard), Edit, Delete, Rename and Duplicate.
// Messages and questions go through the message service; names are file names without
// the extension.
#pragma once

#include <string>

namespace kv {

// A name a definition file can have: not empty, no "/", not "." or "..".
bool IsDefinitionName(const std::string& name);

// The name prompt ("Enter Setting Name"); the window side installs one, until then it is
// cancelled.
class DefinitionNamePrompt {
public:
    virtual ~DefinitionNamePrompt() = default;
    virtual bool Ask(std::string& name)
    {
        (void)name;
        return false;
    }
};
DefinitionNamePrompt& GetDefinitionNamePrompt();
DefinitionNamePrompt* SetDefinitionNamePrompt(DefinitionNamePrompt* prompt);

// "Default.xpt", the definition Create starts from: beside "Default.srf" (the install
// folder when it is writable, else the profile folder).
std::string DefaultDefinitionPath();

// Each returns 0 when done, 1 when cancelled or refused without a change, negative when a
// file operation failed (its message shown).
int CreateDefinition(const std::string& folder, const std::string& defaultPath);
int EditDefinition(const std::string& folder, const std::string& name);
int DeleteDefinition(const std::string& folder, const std::string& name);
int RenameDefinition(const std::string& folder, const std::string& name);
int DuplicateDefinition(const std::string& folder, const std::string& name);

struct AtlasSource;
// Export World: no name: "Select export settings before exporting"; the definition is
// read, the drawing file asked ("Save PW2 File", starting from the profile's
// Settings\PW2Export, which keeps the choice) and the map of `view` written.
int ExportWorldWithDefinition(const std::string& folder, const std::string& name, const AtlasSource& view);

} // namespace kv
