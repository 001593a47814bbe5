#pragma once
// A registry export in the Windows ".reg" format, read into memory. This is the registry of the
// machines that have no Windows registry: the program reads its settings from such a file.
//
// Accepted: the headers "Windows Registry Editor Version 5.00" and "REGEDIT4"; UTF-8 text (with or
// without BOM) and UTF-16LE text with BOM; comment lines starting with ';'; key lines "[ROOT\path]"
// and "[-ROOT\path]" (removes the key and its subkeys); value lines "name"=data and @=data (the
// default value), where data is a quoted string (escapes \\ and \"), dword:xxxxxxxx, hex:..,
// hex(n):.. (byte lists may continue on the next line after a trailing '\'), or '-' (removes the
// value). Key paths and value names match case-insensitively, as on Windows (ASCII letters).
//
// Only text values carry text: a quoted string, and hex(2) (expandable string: UTF-16LE bytes in a
// version 5.00 file, code page 936 bytes in a REGEDIT4 file). Text ends at its first NUL, as a
// Windows reader sees it; %VARIABLES% are not expanded. Every other type is kept only by name so
// that reading it as text can be refused with a clear error.

#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kavel {

// A registry that cannot be read: malformed or unreadable store file ("file:line: what"), a value
// of the wrong type, an unknown root key.
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RegValue {
    enum class Kind { String, ExpandString, Other };
    Kind kind = Kind::String;
    std::string name;      // as written in the file; empty for the default value "@"
    std::string text;      // UTF-8; only for String and ExpandString
    std::string typeName;  // "REG_SZ", "REG_EXPAND_SZ", "REG_DWORD", "REG_BINARY", ...
    int line = 0;          // line of the file where the value starts
    bool IsText() const { return kind != Kind::Other; }
};

class RegFile {
public:
    // Parses the bytes of a .reg file. `fileName` only names the file in error messages.
    // Throws RegistryError "fileName:line: reason" on anything it does not understand.
    static RegFile Parse(std::string_view bytes, const std::string& fileName);

    // Reads and parses the file at `path`. A file that does not exist gives an empty registry (no
    // key exists); a file that exists but cannot be read, or is malformed, throws RegistryError.
    static RegFile Load(const std::string& path);

    // `keyPath` is the full path with its root name, e.g. "HKEY_LOCAL_MACHINE\SOFTWARE\X".
    // A key exists when the file names it or one of its subkeys.
    bool KeyExists(std::string_view keyPath) const;

    // The value `name` of the key, or nullptr when the key or the value is absent.
    const RegValue* FindValue(std::string_view keyPath, std::string_view name) const;

    const std::string& FileName() const { return fileName_; }

private:
    struct Key {
        std::map<std::string, RegValue> values;  // by folded name
    };
    std::string fileName_;
    std::map<std::string, Key> keys_;  // by folded full path, without trailing '\'

    friend class RegFileParser;
};

// The form in which key paths and value names are compared: ASCII letters in lower case, runs of
// '\' collapsed, no leading or trailing '\'.
std::string FoldRegistryPath(std::string_view path);

}  // namespace kavel
