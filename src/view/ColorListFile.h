// A colour list on its own in a file (".bcl"): the list's archive record.
#pragma once

#include <string>

namespace kv {

class CColorList;

// 0 when loaded; -1 when the file cannot be opened, -2 when its record is damaged (the
// list is as it was in both cases).
int LoadColorListFile(const std::string& path, CColorList& list);
// 0 when written; -1 when the file cannot be created, -2 when writing fails (any file that
// was there is untouched).
int SaveColorListFile(const std::string& path, const CColorList& list);

} // namespace kv
