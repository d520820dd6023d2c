// The clipboard's text as bytes (UTF-8), for the commands that copy and paste values.
#pragma once

#include <cstddef>
#include <string>

namespace kv {

// Copies the text into `buffer`, zero-filled first: at most size - 1 bytes, always
// terminated. 1 on success; 0 without a buffer (or size 0) or when there is no text.
int GetClipboardText(char* buffer, size_t size);
// Bytes of the text block with its terminator; 0 when there is no text.
size_t GetClipboardTextSize();
// Puts a copy of the text on the clipboard in place of what was there; 1.
int SetClipboardText(const std::string& text);
// The text; empty when there is none.
std::string GetClipboardString();

} // namespace kv
