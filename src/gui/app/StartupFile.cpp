#include "gui/app/StartupFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kv {

namespace {

// Reads one integer of a group; false unless a whole integer stands before `stop`.
bool ReadInt(const std::string& s, size_t& pos, char stop, int& value)
{
    const size_t end = s.find(stop, pos);
    const std::string field = s.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (end == std::string::npos)
        return false;
    pos = end + 1;
    const char* begin = field.c_str();
    char* after = nullptr;
    errno = 0;
    const long v = std::strtol(begin, &after, 10);
    if (after == begin || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    while (*after == ' ' || *after == '\t')
        ++after;
    if (*after != '\0')
        return false;
    value = static_cast<int>(v);
    return true;
}

// A group is "l,t,r,b;". A group that does not give four integers becomes the empty
// rectangle; reading goes on after its ";".
StartupRect ReadGroup(const std::string& s, size_t& pos)
{
    StartupRect r;
    const size_t groupEnd = s.find(';', pos);
    const std::string group = s.substr(pos, groupEnd == std::string::npos ? std::string::npos : groupEnd - pos) + ";";
    pos = groupEnd == std::string::npos ? s.size() : groupEnd + 1;
    size_t p = 0;
    int v[4];
    const bool ok = ReadInt(group, p, ',', v[0]) && ReadInt(group, p, ',', v[1]) &&
                    ReadInt(group, p, ',', v[2]) && ReadInt(group, p, ';', v[3]) && p == group.size();
    if (ok) {
        r.left = v[0];
        r.top = v[1];
        r.right = v[2];
        r.bottom = v[3];
    }
    return r;
}

} // namespace

StartupRecord ParseStartupLine(const std::string& rawLine)
{
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    StartupRecord record;
    const size_t semi = line.find(';');
    record.text = line.substr(0, semi);
    size_t pos = semi == std::string::npos ? line.size() : semi + 1;
    record.next = ReadGroup(line, pos);
    record.previous = ReadGroup(line, pos);
    record.close = ReadGroup(line, pos);
    return record;
}

int ReadStartupLine(const std::string& path, int n, StartupRecord& record)
{
    if (path.empty())
        return -4;
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return -1;
    std::ifstream in(path);
    if (!in)
        return -1;
    if (n < 0)
        return -2;
    std::string line;
    for (int i = 0; i <= n; ++i) {
        if (!std::getline(in, line))
            return -2;
    }
    record = ParseStartupLine(line);
    return 0;
}

std::string StartupPicturePath(const std::string& startupFile, const StartupRecord& record)
{
    const std::filesystem::path picture(record.text);
    if (record.text.empty() || picture.is_absolute())
        return record.text;
    return (std::filesystem::path(startupFile).parent_path() / picture).string();
}

std::string CheckStartupFile(const std::string& path)
{
    StartupRecord first;
    switch (ReadStartupLine(path, 0, first)) {
    case 0: break;
    case -2: return "The start-up file " + path + " is empty.\nThe map is shown instead.";
    default: return "The start-up file " + path + " cannot be read.\nThe map is shown instead.";
    }
    const StartupRect none;
    auto parsed = [&none](const StartupRect& r) {
        return r.left != none.left || r.top != none.top || r.right != none.right || r.bottom != none.bottom;
    };
    if (first.text.empty() || !(parsed(first.next) || parsed(first.previous) || parsed(first.close)))
        return "The start-up file " + path +
               " is not a list of start-up pages: each line names a picture, then the next, previous and "
               "close rectangles (\"picture;l,t,r,b;l,t,r,b;l,t,r,b;\").\nThe map is shown instead.";
    return std::string();
}

} // namespace kv
