// Run Script: a script file chosen by the user, run on the active document.
#include "document/CKVDoc.h"

#include "base/AppFolders.h"
#include "base/AppSettings.h"
#include "document/DocumentCommands.h"
#include "document/ScriptInterpreter.h"
#include "document/TerrainDialogs.h"

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
    RunScriptFile(dialog.path);
    UpdateAllViews(nullptr, kHintUndoRedo);
}

} // namespace kv
