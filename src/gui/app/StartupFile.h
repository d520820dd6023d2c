// The start-up guide's file: one record a line, a text then three rectangles (next page,
// previous page, close), each four integers left, top, right, bottom:
//     welcome.bmp;10,20,110,60;10,70,110,110;200,10,220,30;
// The text names the page's picture (beside the file when relative); the view shows it
// stretched over the map window instead of the map while the file is open.
#pragma once

#include <string>

namespace kv {

struct StartupRect {
    int left = -2, top = -2, right = -1, bottom = -1; // a group that does not parse: no point lies in it
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct StartupRecord {
    std::string text;
    StartupRect next, previous, close;
};

// Fills `record` from line `n` (from 0) of `path`, read whole however long; 0 on success,
// -4 when no file is named, -1 when it cannot be opened, -2 when it has fewer than n + 1
// lines (or n is negative).
int ReadStartupLine(const std::string& path, int n, StartupRecord& record);
// Splits one line into its record.
StartupRecord ParseStartupLine(const std::string& line);

// The page's picture file: the record's text, taken from the start-up file's folder when
// it is a relative path.
std::string StartupPicturePath(const std::string& startupFile, const StartupRecord& record);
// An empty text when `path` can be paged (its first line is a page: a picture name and at
// least one rectangle that parses), else the message that says why not.
std::string CheckStartupFile(const std::string& path);

} // namespace kv
