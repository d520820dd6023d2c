// Storing an archived object into bytes and loading it back, for the world tests.
#pragma once

#include "platform/Archive.h"

#include <cstdint>
#include <vector>

template <typename T> std::vector<uint8_t> StoreBytes(T& object)
{
    std::vector<uint8_t> bytes;
    kv::CArchive ar(bytes, kv::CArchive::store);
    object.Serialize(ar);
    return bytes;
}

template <typename T> void LoadBytes(T& object, const std::vector<uint8_t>& bytes)
{
    kv::CArchive ar(bytes.data(), bytes.size());
    object.Serialize(ar);
}

// Loads bytes into an archived object: true when it loaded, false when the archive error
// was raised (any other exception goes on to the caller).
template <typename T> bool TryLoadBytes(T& object, const std::vector<uint8_t>& bytes)
{
    try {
        LoadBytes(object, bytes);
        return true;
    } catch (const kv::CArchiveException&) {
        return false;
    }
}
