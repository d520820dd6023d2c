#include "exchange/ExportDefinitionChooser.h"

#include "base/FileList.h"

namespace kv {

std::string ExportDefinitionChoice::Filter()
{
    return std::string("Export Definition Files (*.") + kExtension + ")|*." + kExtension + "||";
}

ExportDefinitionChoice ExportDefinitionChoice::List(const std::string& folder, const std::string& name)
{
    ExportDefinitionChoice choice;
    for (const ListedFile& f : ListFilesWithExtension(folder, kExtension))
        choice.names.push_back(f.name);
    for (int i = static_cast<int>(choice.names.size()) - 1; i >= 0; --i) {
        if (choice.names[static_cast<size_t>(i)] == name) {
            choice.selected = i;
            break;
        }
    }
    return choice;
}

bool ExportDefinitionChoice::Chosen(std::string& name) const
{
    if (selected < 0 || selected >= static_cast<int>(names.size()))
        return false;
    name = names[static_cast<size_t>(selected)];
    return true;
}

} // namespace kv
