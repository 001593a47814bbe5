// libFuzzer target: the input is the bytes of a .reg file, as the program reads its settings
// from one. Parsing either succeeds or throws RegistryError ("file:line: reason"); a crash, a
// sanitizer report, a hang or any other exception is a finding. A file that parses is then asked
// for the keys and values the program reads, and for names taken from the input itself.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "RegFile.h"

namespace {

using kavel::FoldRegistryPath;
using kavel::RegFile;
using kavel::RegValue;

// A value found must be what it says it is: text only in text values, a type name always.
void CheckValue(const RegValue* value) {
    if (!value) return;
    if (value->typeName.empty() || value->line < 1) __builtin_trap();
    if (!value->IsText() && !value->text.empty()) __builtin_trap();
}

// Folding is idempotent, and a path names the same key however it is folded.
void CheckFold(std::string_view path) {
    const std::string once = FoldRegistryPath(path);
    if (FoldRegistryPath(once) != once) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    RegFile reg;
    try {
        reg = RegFile::Parse(bytes, "HKLM.reg");
    } catch (const kavel::RegistryError& e) {
        // Every refusal names the file and a line.
        if (std::string_view(e.what()).rfind("HKLM.reg:", 0) != 0) __builtin_trap();
        return 0;
    }
    const std::string key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel";
    for (const char* name : {"ODBCNAME", "USERNAME", "PASSWORD", ""}) {
        CheckValue(reg.FindValue(key, name));
        CheckValue(
            reg.FindValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\KorvenSoft\\Kavel", name));
    }
    if (reg.FindValue(key, "ODBCNAME") && !reg.KeyExists(key)) __builtin_trap();
    // Names from the input: every line cut at '=' as a key path and a value name.
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        const std::size_t eq = line.find('=');
        const std::string_view path = line.substr(0, eq);
        const std::string_view name =
            eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
        CheckFold(path);
        CheckValue(reg.FindValue(path, name));
        if (reg.FindValue(path, name) && !reg.KeyExists(path)) __builtin_trap();
        start = end + 1;
    }
    return 0;
}
