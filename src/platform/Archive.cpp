#include "platform/Archive.h"

#include <bit>
#include <cstring>

namespace kv {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

CArchive::CArchive(std::vector<uint8_t>& buffer, Mode mode) : m_mode(mode)
{
    if (mode == store) {
        m_out = &buffer;
    } else {
        m_in = buffer.data();
        m_inSize = buffer.size();
    }
}

CArchive::CArchive(const uint8_t* data, size_t size) : m_mode(load), m_in(data), m_inSize(size) {}

CArchive::CArchive(std::FILE* file, Mode mode) : m_mode(mode), m_file(file)
{
    if (mode == load && file) {
        long pos = std::ftell(file);
        if (pos >= 0 && std::fseek(file, 0, SEEK_END) == 0) {
            long end = std::ftell(file);
            if (end >= pos)
                m_fileRemaining = static_cast<uint64_t>(end - pos);
            std::fseek(file, pos, SEEK_SET);
        }
    }
}

CArchive::~CArchive()
{
    if (m_file && m_mode == store)
        std::fflush(m_file);
}

void CArchive::Throw(CArchiveException::Cause cause, const std::string& what)
{
    throw CArchiveException(cause, what);
}

void CArchive::Write(const void* data, size_t size)
{
    if (m_mode != store)
        Throw(CArchiveException::generic, "archive: write to an archive opened for loading");
    if (size == 0)
        return;
    if (m_out) {
        const auto* p = static_cast<const uint8_t*>(data);
        m_out->insert(m_out->end(), p, p + size);
    } else if (!m_file || std::fwrite(data, 1, size, m_file) != size) {
        Throw(CArchiveException::writeFailed, "archive: write failed");
    }
}

size_t CArchive::Read(void* data, size_t size)
{
    if (m_mode != load)
        Throw(CArchiveException::generic, "archive: read from an archive opened for storing");
    if (size == 0)
        return 0;
    if (m_file) {
        size_t got = std::fread(data, 1, size, m_file);
        if (m_fileRemaining != UINT64_MAX)
            m_fileRemaining -= std::min<uint64_t>(m_fileRemaining, got);
        return got;
    }
    size_t avail = m_inSize - m_inPos;
    size_t n = size < avail ? size : avail;
    if (n)
        std::memcpy(data, m_in + m_inPos, n);
    m_inPos += n;
    return n;
}

void CArchive::ReadExact(void* data, size_t size)
{
    Require(size);
    if (Read(data, size) != size)
        Throw(CArchiveException::endOfFile, "archive: unexpected end of file");
}

uint64_t CArchive::Remaining() const
{
    if (m_mode != load)
        return 0;
    if (m_file)
        return m_fileRemaining;
    return m_inSize - m_inPos;
}

void CArchive::Require(uint64_t bytes) const
{
    if (Remaining() < bytes)
        Throw(CArchiveException::endOfFile, "archive: unexpected end of file");
}

void CArchive::Flush()
{
    if (m_file && m_mode == store && std::fflush(m_file) != 0)
        Throw(CArchiveException::writeFailed, "archive: write failed");
}

template <typename T> void CArchive::put(T v)
{
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t i = 0; i < sizeof(T) / 2; ++i)
            std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    }
    Write(bytes, sizeof(T));
}

template <typename T> T CArchive::get()
{
    uint8_t bytes[sizeof(T)];
    ReadExact(bytes, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) {
        for (size_t i = 0; i < sizeof(T) / 2; ++i)
            std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    }
    T v;
    std::memcpy(&v, bytes, sizeof(T));
    return v;
}

CArchive& CArchive::operator<<(uint8_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(int8_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(uint16_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(int16_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(uint32_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(int32_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(uint64_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(int64_t v) { put(v); return *this; }
CArchive& CArchive::operator<<(float v) { put(v); return *this; }
CArchive& CArchive::operator<<(double v) { put(v); return *this; }

CArchive& CArchive::operator>>(uint8_t& v) { v = get<uint8_t>(); return *this; }
CArchive& CArchive::operator>>(int8_t& v) { v = get<int8_t>(); return *this; }
CArchive& CArchive::operator>>(uint16_t& v) { v = get<uint16_t>(); return *this; }
CArchive& CArchive::operator>>(int16_t& v) { v = get<int16_t>(); return *this; }
CArchive& CArchive::operator>>(uint32_t& v) { v = get<uint32_t>(); return *this; }
CArchive& CArchive::operator>>(int32_t& v) { v = get<int32_t>(); return *this; }
CArchive& CArchive::operator>>(uint64_t& v) { v = get<uint64_t>(); return *this; }
CArchive& CArchive::operator>>(int64_t& v) { v = get<int64_t>(); return *this; }
CArchive& CArchive::operator>>(float& v) { v = get<float>(); return *this; }
CArchive& CArchive::operator>>(double& v) { v = get<double>(); return *this; }

CArchive& CArchive::operator<<(const std::string& s)
{
    const uint64_t n = s.size();
    if (n < 0xFF) {
        put(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        put(static_cast<uint8_t>(0xFF));
        put(static_cast<uint16_t>(n));
    } else {
        if (n > 0xFFFFFFFFull)
            Throw(CArchiveException::generic, "archive: string too long");
        put(static_cast<uint8_t>(0xFF));
        put(static_cast<uint16_t>(0xFFFF));
        put(static_cast<uint32_t>(n));
    }
    Write(s.data(), s.size());
    return *this;
}

namespace {

void AppendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

uint64_t CArchive::ReadStringLength(bool& wide)
{
    wide = false;
    uint64_t n = get<uint8_t>();
    if (n != 0xFF)
        return n;
    n = get<uint16_t>();
    if (n == 0xFFFE) {
        wide = true;
        n = get<uint8_t>();
        if (n != 0xFF)
            return n;
        n = get<uint16_t>();
    }
    if (n == 0xFFFF)
        n = get<uint32_t>();
    return n;
}

CArchive& CArchive::operator>>(std::string& s)
{
    bool wide = false;
    const uint64_t n = ReadStringLength(wide);
    if (wide)
        Throw(CArchiveException::badSchema, "archive: unsupported string encoding");
    // The length is checked against what is left before anything is allocated.
    Require(n);
    std::string out(static_cast<size_t>(n), '\0');
    ReadExact(out.data(), out.size());
    s = std::move(out);
    return *this;
}

std::string CArchive::ReadStringAllowWide()
{
    bool wide = false;
    const uint64_t n = ReadStringLength(wide);
    if (!wide) {
        Require(n);
        std::string out(static_cast<size_t>(n), '\0');
        ReadExact(out.data(), out.size());
        return out;
    }
    Require(n * 2);
    std::vector<uint16_t> units(static_cast<size_t>(n));
    for (uint16_t& u : units)
        u = get<uint16_t>();
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00u));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

std::string CArchive::ReadString()
{
    std::string s;
    *this >> s;
    return s;
}

} // namespace kv
