#include "exchange/FileHeader.h"

#include "platform/FileMapping.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace kv {

namespace {

constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();

int32_t GetI32(const uint8_t* p)
{
    return static_cast<int32_t>(GetLE32(p));
}

int16_t GetI16(const uint8_t* p)
{
    return static_cast<int16_t>(GetLE16(p));
}

// A read-only mapping of a whole file, released on leaving.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) { m_ok = MapFileView(path, kPageReadOnly, m_view) == 0; }
    ~MappedFile()
    {
        if (m_ok)
            UnmapFileView(m_view);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    // The file's bytes when it holds at least `size` of them, else null.
    const uint8_t* Bytes(size_t size) const { return m_ok && m_view.size >= size ? m_view.Bytes() : nullptr; }

private:
    MappedFileView m_view;
    bool m_ok = false;
};

} // namespace

int DTEFile::Read(const std::string& filePath)
{
    path = filePath;
    recognised = 0;
    const MappedFile file(filePath);
    const uint8_t* p = file.Bytes(kBytesRead);
    if (p == nullptr)
        return 0;
    if (GetI32(p + 2) != kMagic || GetI32(p + 192) != 16 || GetI16(p + 204) != 4 || GetI16(p + 206) != 2)
        return 0;
    const int32_t w = GetI32(p + 184), h = GetI32(p + 188), line = GetI32(p + 196);
    const int bytes = GetI32(p + 192) / 8;
    if (w <= 0 || h <= 0 || line <= 0 || static_cast<int64_t>(w) * bytes > kInt32Max)
        return 0;
    littleEndian = GetI16(p) == 0 ? 1 : 0;
    west = GetLEDouble(p + 74);
    east = GetLEDouble(p + 82);
    south = GetLEDouble(p + 90);
    north = GetLEDouble(p + 98);
    width = w;
    height = h;
    bytesPerSample = bytes;
    lineWidth = line;
    headerLength = kHeaderLength;
    recognised = 1;
    return 1;
}

int BMPFile::Read(const std::string& filePath)
{
    path = filePath;
    recognised = 0;
    const MappedFile file(filePath);
    const uint8_t* p = file.Bytes(kBytesRead);
    if (p == nullptr || p[0] != 'B' || p[1] != 'M' || GetLE16(p + 28) != 8 || GetLE32(p + 30) != 0)
        return 0;
    const uint32_t offset = GetLE32(p + 10);
    const int32_t w = GetI32(p + 18), h = GetI32(p + 22);
    // A negative height is a top-down bitmap: its rows would be read upside down.
    const int64_t line = (static_cast<int64_t>(w) + 3) & ~int64_t(3);
    if (w <= 0 || h <= 0 || line > kInt32Max || offset > static_cast<uint32_t>(kInt32Max))
        return 0;
    headerLength = static_cast<int32_t>(offset);
    width = w;
    height = h;
    bytesPerSample = 1;
    lineWidth = static_cast<int32_t>(line);
    littleEndian = 0;
    west = north = east = south = 0.0;
    recognised = 1;
    return 1;
}

bool ReadCrvlFile(const std::string& path, CrvlHeader& header)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    uint8_t bytes[kCrvlHeaderSize];
    const size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    CrvlHeader h;
    if (!DecodeCrvlHeader(bytes, got, h))
        return false;
    if (h.width <= 0 || h.height <= 0 || static_cast<int64_t>(h.width) * h.BytesPerSample() > kInt32Max)
        return false;
    header = h;
    return true;
}

} // namespace kv
