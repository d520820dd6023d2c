// Small helpers the world exports share: file-name parts and the common failure text.
#pragma once

#include <string>

namespace kv {

// Shown, followed by the path, when an output cannot be written.
inline const std::string kErrorWritingFile = "Error writing file ";

// The path cut at the last "." of its file name, unless that "." is the name's first
// character (then the whole path): "/d/v1.2/globe" stays whole, "/d/globe.wrl" gives
// "/d/globe".
std::string CutExtension(const std::string& path);
// The text from that "." on (".wrl"), or "" when CutExtension cuts nothing.
std::string PathExtension(const std::string& path);
// The file name without its folder (after the last "\" and then the last "/").
std::string FileNamePart(const std::string& path);

} // namespace kv
