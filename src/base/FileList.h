// Files of a folder by extension, for the lists that offer stored settings by name.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct ListedFile {
    std::string name;     // the file name cut before its extension
    std::string fileName; // the whole file name
};

// The regular files of `folder` whose names end in "." + extension, the extension matched
// regardless of case (names on this system are case-sensitive, but such files are written
// by hand too), sorted by name. A name is cut before the first occurrence of the
// extension (with its dot) that is not at its start. An unreadable folder gives none.
std::vector<ListedFile> ListFilesWithExtension(const std::string& folder, const std::string& extension);

} // namespace kv
