#pragma once
// LOGIN7: the client's login record. Fixed fields, then an offset/length table of UTF-16LE
// strings; the password is obfuscated (each byte nibble-swapped, then XORed with 0xA5).

#include <cstdint>
#include <span>
#include <string>

namespace standin::tds {

// TDS versions as LOGIN7 and LOGINACK carry them (read as a little-endian DWORD in LOGIN7).
inline constexpr std::uint32_t kTds72 = 0x72090002;
inline constexpr std::uint32_t kTds73A = 0x730A0003;
inline constexpr std::uint32_t kTds73B = 0x730B0003;
inline constexpr std::uint32_t kTds74 = 0x74000004;

struct Login7 {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 0;  // 0: the server chooses
    std::uint8_t optionFlags1 = 0;
    std::uint8_t optionFlags2 = 0;
    std::uint8_t typeFlags = 0;
    std::uint8_t optionFlags3 = 0;
    bool integratedSecurity = false;  // Windows authentication requested (not offered here)
    std::string hostName;             // all strings UTF-8
    std::string userName;
    std::string password;
    std::string appName;
    std::string serverName;
    std::string libraryName;
    std::string language;
    std::string database;
};

// Throws ProtocolError when the record is truncated, its lengths disagree, a string lies outside
// it or exceeds 128 characters, or a string is not valid UTF-16.
Login7 ParseLogin7(std::span<const std::uint8_t> payload);

// Undoes the client's obfuscation of the password bytes (still UTF-16LE afterwards).
void DeobfuscatePassword(std::span<std::uint8_t> bytes);

}  // namespace standin::tds
