// Read-only (or private copy-on-write) memory mappings of whole files.
//
// A mapping is made in three steps, each of which can fail on its own: open the file,
// create the mapping object of the whole file, map a view of it. MapFileView reports
// the failing step as -1, -2 or -3 and leaves nothing open; UnmapFileView undoes the
// steps in reverse order (view, mapping, file) and reports the first failing one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {

// Page protection of a mapping. The file is always opened for reading, so a mapping
// that writes back to the file cannot be made; a copy-on-write view may be written to
// without changing the file.
enum PageProtection : int {
    kPageReadOnly = 0x02,
    kPageWriteCopy = 0x08,
};

// The three handles of one mapped file. All are "null" (file -1, no mapping object,
// view null, size 0) while nothing is mapped.
struct MappedFileView {
    int file = -1;              // open file descriptor
    bool mapping = false;       // the mapping object of the whole file exists
    int protection = 0;         // the mapping object's page protection
    std::size_t size = 0;       // bytes in the file and in the view
    void* view = nullptr;       // first byte of the view

    const uint8_t* Bytes() const { return static_cast<const uint8_t*>(view); }
    bool IsMapped() const { return view != nullptr; }
};

// Maps all of `path` with `protection`. Returns 0 and fills `out`; -1 when the file
// cannot be opened (missing, unreadable, not a regular file); -2 when the mapping object
// cannot be created (empty file, file larger than the address space, unsupported
// protection; the file is closed); -3 when the view cannot be mapped (mapping object and
// file are released). On failure `out` is left null.
int MapFileView(const std::string& path, int protection, MappedFileView& out);

// Unmaps the view, releases the mapping object and closes the file, nulling each handle
// after its step. Returns 0, or -1, -2, -3 when the first, second or third step fails
// (the later steps are then not tried).
int UnmapFileView(MappedFileView& mapped);

} // namespace kv
