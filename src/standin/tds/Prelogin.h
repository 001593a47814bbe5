#pragma once
// PRELOGIN: the first exchange, where client and server agree on encryption. The stand-in
// answers "encryption not supported", which lets FreeTDS send LOGIN7 in the clear.

#include <cstdint>
#include <optional>
#include <span>

#include "WireBuffer.h"

namespace standin::tds {

inline constexpr std::uint8_t kEncryptOff = 0x00;
inline constexpr std::uint8_t kEncryptOn = 0x01;
inline constexpr std::uint8_t kEncryptNotSupported = 0x02;
inline constexpr std::uint8_t kEncryptRequired = 0x03;

struct PreloginRequest {
    std::optional<std::uint8_t> encryption;  // absent when the client did not say
};

// Throws ProtocolError when the option table is malformed or points outside the message.
PreloginRequest ParsePrelogin(std::span<const std::uint8_t> payload);

// VERSION, ENCRYPTION = not supported, INSTOPT, THREADID and MARS = off.
Bytes BuildPreloginReply();

}  // namespace standin::tds
