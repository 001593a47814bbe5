#pragma once
// The connection settings both front ends use: the data source "KavelODBC" as user "sa" by
// default, replaced by the values ODBCNAME, USERNAME and PASSWORD of
// HKEY_LOCAL_MACHINE\SOFTWARE\KorvenSoft\Kavel when that key exists (user name and password in
// the main program's digit code).

namespace kavel {

class TDatabase;

// The defaults: alias "KavelODBC", database name "LibDB", no login prompt, "USER NAME=sa".
void SetDefaultConnection(TDatabase& libDB);

// Reads the registry key into the alias and login of `libDB`; leaves them alone when the key is
// missing. Raises what the registry or the digit code raises (a value of the wrong type, a code
// that is no digits).
void ApplyConnectionSettings(TDatabase& libDB);

}  // namespace kavel
