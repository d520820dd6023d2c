// Connects the settings sheets' prompts to the program's dialogs: the setting-name prompt,
// the folder browser and the noise source's parameter dialog.
#pragma once

namespace kv {

void InstallSheetDialogs();

} // namespace kv
