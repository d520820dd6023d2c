// The climate colour file (".clr"): one text line "code, red, green, blue" per climate
// class, and the colour texts of the Climate page's list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

class CColorList;
class ClimateParms;

// Longest line that is read; a longer one is skipped whole.
constexpr int kClimateColorLineMax = 127;

// One line in the form "%d, %d, %d, %d" (the blanks after the commas match any white space,
// none included; text after the fourth number is ignored). False unless the four numbers
// are there, each within int, and the code lies in 0..16. The colour packs the low byte of
// each of red, green and blue.
bool ParseClimateColorLine(std::string_view line, int& code, uint32_t& colour);

// Fills `list` from the lines of a ".clr" text: it is emptied, every matching line sets the
// stop of its code, and the codes no line gave take the default class colours, so the
// list ends with exactly one stop per class. Returns the number of lines taken.
int ReadClimateColorText(std::string_view text, CColorList& list);
// The same from a file; -1 (list untouched) when it cannot be opened.
int LoadClimateColorFile(const std::string& path, CColorList& list);

// The colour shown for a class: stop `code` of the climate list, or the default colour of
// the class when the list has no such stop.
uint32_t ClimateCodeColor(const ClimateParms& climate, int code);
// "%02X%02X%02X" of red, green, blue.
std::string ClimateColorCellText(uint32_t colour);

// Every class as "%d, %d, %d, %d\n" in code order, colours as ClimateCodeColor gives them.
std::string ClimateColorText(const ClimateParms& climate);
// Writes that text to `path`, replacing the file only once complete; false on failure.
bool SaveClimateColorFile(const std::string& path, const ClimateParms& climate);

} // namespace kv
