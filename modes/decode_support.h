#pragma once
// What the decoders share beyond the cells: the size check every decoder
// makes before it reads, and the little-endian header fields.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "modes/decoders.h"
#include "modes/mode_error.h"

namespace modes {

// Refused unless bytes has one of the sizes: a decoder is safe to call on any bytes.
inline base::Status CheckSize(Bytes bytes, std::initializer_list<std::size_t> sizes) {
    for (std::size_t size : sizes)
        if (bytes.size() == size)
            return base::Done{};
    return ModeError(ModeErrc::WrongSize, std::to_string(bytes.size()) + " bytes");
}

// A signature or header the format does not have.
inline base::Error NotThisFormat(std::string detail) { return ModeError(ModeErrc::NotThisFormat, std::move(detail)); }

inline base::Error Undecodable(std::string detail) { return ModeError(ModeErrc::Undecodable, std::move(detail)); }

inline bool StartsWith(Bytes bytes, std::string_view signature) {
    if (bytes.size() < signature.size())
        return false;
    for (std::size_t i = 0; i < signature.size(); ++i)
        if (bytes[i] != static_cast<std::uint8_t>(signature[i]))
            return false;
    return true;
}

inline int Little16(Bytes bytes, std::size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

}  // namespace modes
