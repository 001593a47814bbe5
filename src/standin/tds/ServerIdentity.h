#pragma once
// How the stand-in introduces itself to clients: product name and version in PRELOGIN and
// LOGINACK, the server name in messages, and the session defaults of the login reply.

#include <cstdint>
#include <string_view>

namespace standin::tds {

struct ProductVersion {
    std::uint8_t major;
    std::uint8_t minor;
    std::uint16_t build;
};

// The version @@VERSION reports (10.50.1600, SQL Server 2008 R2). FreeTDS treats any TDS 7.x
// login acknowledgement as Microsoft SQL Server.
inline constexpr ProductVersion kProductVersion{10, 50, 1600};
inline constexpr std::string_view kProductName = "Microsoft SQL Server";
inline constexpr std::string_view kServerName = "SQLSTANDIN";
// The one database a stand-in serves; the engine names it the same in its messages
// ("table 'kavel.dbo.t'"), so a client sees one name throughout.
inline constexpr std::string_view kDefaultDatabase = "kavel";
// What the login reply says the session's database was before, as SQL Server does.
inline constexpr std::string_view kPreviousDatabase = "master";
inline constexpr std::string_view kLanguage = "us_english";

// Chinese_PRC_CI_AS on the wire: LCID 0x0804, flags IgnoreCase | IgnoreKana | IgnoreWidth,
// version 0, sort id 0 (a Windows collation). FreeTDS derives code page 936 from the LCID.
inline constexpr std::uint8_t kCollation[5] = {0x04, 0x08, 0xD0, 0x00, 0x00};

}  // namespace standin::tds
