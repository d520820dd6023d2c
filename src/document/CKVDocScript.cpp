// Run Script: a script file chosen by the user, run on the active document.
#include "document/CKVDoc.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "base/MessageService.h"
#include "document/DocumentCommands.h"
#include "document/ScriptInterpreter.h"
#include "document/TerrainDialogs.h"

#include <filesystem>

namespace kv {

void CKVDoc::OnRunScript()
{
    DocCommandMemory& memory = DocCommandMemory::Remembered();
    CSelectionFileDlg dialog;
    dialog.open = true;
    dialog.title = kRunScriptTitle;
    dialog.filter = kScriptFilter;
    dialog.defaultExtension = ".ksr";
    dialog.path = memory.scriptPath.empty() ? GetScriptsDir(GetAppSettings()) + "*.ksr" : memory.scriptPath;
    if (!GetTerrainDialogs().RunFileDialog(dialog) || dialog.path.empty())
        return;
    memory.scriptPath = dialog.path;
    std::vector<ScriptLineResult> refused;
    if (RunScriptFile(dialog.path, &refused) < 0) {
        ShowMessage("Unable to open file " + dialog.path);
        return;
    }
    UpdateAllViews(nullptr, kHintUndoRedo);
    // One message for the whole script: every line that was not run, with its reason.
    if (!refused.empty())
        ShowMessage(ScriptRefusalsMessage(std::filesystem::path(dialog.path).filename().string(), refused));
}

} // namespace kv
