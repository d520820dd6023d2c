// The archive stream: little-endian binary records as the world document and every
// record embedded in it are stored. Strings carry the length prefix of the archive
// format (1 byte; 0xFF + 2 bytes; 0xFF 0xFFFF + 4 bytes) and no terminator.
// Any read past the end, or an impossible length, raises CArchiveException.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {

class CArchiveException : public std::runtime_error {
public:
    enum Cause { generic = 1, endOfFile = 2, badIndex = 3, badSchema = 4, writeFailed = 5 };
    CArchiveException(Cause cause, const std::string& what) : std::runtime_error(what), m_cause(cause) {}
    Cause cause() const { return m_cause; }

private:
    Cause m_cause;
};

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // Memory archive: storing appends to `buffer`; loading reads it from the start.
    CArchive(std::vector<uint8_t>& buffer, Mode mode);
    // Loading from a block the caller keeps alive (a mapped file, a test fixture).
    CArchive(const uint8_t* data, size_t size);
    // File archive over an open stdio stream (not closed by the archive).
    CArchive(std::FILE* file, Mode mode);
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // Raw bytes. Write raises on a failed write; ReadExact raises on a short read.
    void Write(const void* data, size_t size);
    void ReadExact(void* data, size_t size);
    // Reads up to `size` bytes and returns how many were there.
    size_t Read(void* data, size_t size);
    // Bytes left to load, or UINT64_MAX when the source cannot tell.
    uint64_t Remaining() const;
    // Raises the archive error unless at least `bytes` more can be loaded.
    void Require(uint64_t bytes) const;
    void Flush();

    CArchive& operator<<(uint8_t v);
    CArchive& operator<<(int8_t v);
    CArchive& operator<<(uint16_t v);
    CArchive& operator<<(int16_t v);
    CArchive& operator<<(uint32_t v);
    CArchive& operator<<(int32_t v);
    CArchive& operator<<(uint64_t v);
    CArchive& operator<<(int64_t v);
    CArchive& operator<<(float v);
    CArchive& operator<<(double v);
    CArchive& operator<<(const std::string& s);
    CArchive& operator<<(const char* s) { return *this << std::string(s); }

    CArchive& operator>>(uint8_t& v);
    CArchive& operator>>(int8_t& v);
    CArchive& operator>>(uint16_t& v);
    CArchive& operator>>(int16_t& v);
    CArchive& operator>>(uint32_t& v);
    CArchive& operator>>(int32_t& v);
    CArchive& operator>>(uint64_t& v);
    CArchive& operator>>(int64_t& v);
    CArchive& operator>>(float& v);
    CArchive& operator>>(double& v);
    CArchive& operator>>(std::string& s);

    void WriteString(const std::string& s) { *this << s; }
    std::string ReadString();
    // Reads a string that may also be stored in the wide form: the marker 0xFF 0xFFFE,
    // then a length prefix as above counting UTF-16 units, then the units. Wide strings
    // come back as UTF-8 (an unpaired surrogate becomes U+FFFD). The plain reads above
    // refuse the marker.
    std::string ReadStringAllowWide();

    // Raises the archive error with `cause`; for readers that meet a bad record.
    [[noreturn]] static void Throw(CArchiveException::Cause cause, const std::string& what);

private:
    // A string's length prefix; `wide` tells whether the wide marker came first.
    uint64_t ReadStringLength(bool& wide);
    template <typename T> void put(T v);
    template <typename T> T get();

    Mode m_mode;
    std::vector<uint8_t>* m_out = nullptr;
    const uint8_t* m_in = nullptr;
    size_t m_inSize = 0;
    size_t m_inPos = 0;
    std::FILE* m_file = nullptr;
    uint64_t m_fileRemaining = UINT64_MAX;
};

} // namespace kv
