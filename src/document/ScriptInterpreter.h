// World scripts (".ksr"): plain text, one command a line, each a whole-world edit of a
// channel of the active document's world or an operation on its selection.
//
//   tool <op> [channel] [amount] [min] [max]     b c e f i l m r s (first letters)
//   select <op> [amount | file | channel ...]    a b c e f i l n r s t
//
// "#" and "//" start comments; words are separated by blanks, tabs, line ends and commas
// and compared in lower case (a file name keeps its case). Numbers are read as C-locale
// decimals; text that is no number reads as 0, a number that is not finite refuses its
// line. The interpreter records no undo step and sends no hint of its own; the operations
// it calls do as they always do, and a tool line that changes a channel marks the document
// modified. Every operation holds the active view's busy counter while it runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// Results of a line.
constexpr int kScriptOk = 0;
constexpr int kScriptBadLine = -1;     // fewer than two words, unknown family, no active document, too long
constexpr int kScriptBadTool = -2;     // unknown tool operation
constexpr int kScriptBadSelect = -3;   // unknown selection operation
constexpr int kScriptBadArgument = -5; // unknown channel letter, bad range arguments, a number not finite

// The longest line read; a longer one is skipped whole with kScriptBadLine.
constexpr std::size_t kMaxScriptLine = std::size_t(1) << 20;

struct ScriptLineResult {
    int line = 0; // 1-based
    int code = 0;
};

// Runs one line on the active document: 0, a code above, or the result of a selection
// image load or save as it is. The line is changed in place (comments cut away).
int RunScriptLine(std::string& line);

// Runs every line of a script file: 0, or -1 when it cannot be opened (or is a folder) and
// nothing runs. Each line whose result is negative is added to `refused` when given.
int RunScriptFile(const std::string& path, std::vector<ScriptLineResult>* refused = nullptr);

// Why a line was refused, in words for the user.
std::string ScriptRefusalReason(int code);
// The one message that lists the refused lines of the script `name`: one line each with its
// number and reason, the lines after the first kMostRefusalsListed counted at the end.
constexpr std::size_t kMostRefusalsListed = 30;
std::string ScriptRefusalsMessage(const std::string& name, const std::vector<ScriptLineResult>& refused);

} // namespace kv
