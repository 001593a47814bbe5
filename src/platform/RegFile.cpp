#include "RegFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "Cp936.h"
#include "Trim.h"
#include "Unicode.h"

namespace kavel {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kRoots[] = {"hkey_classes_root", "hkey_current_user",
                                       "hkey_local_machine", "hkey_users", "hkey_current_config"};

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FoldName(std::string_view name) {
    std::string s(name);
    std::transform(s.begin(), s.end(), s.begin(), FoldChar);
    return s;
}

int LineAt(std::string_view text, std::size_t offset) {
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + offset, '\n'));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string TypeName(unsigned type) {
    switch (type) {
        case 0:
            return "REG_NONE";
        case 1:
            return "REG_SZ";
        case 2:
            return "REG_EXPAND_SZ";
        case 3:
            return "REG_BINARY";
        case 4:
            return "REG_DWORD";
        case 5:
            return "REG_DWORD_BIG_ENDIAN";
        case 6:
            return "REG_LINK";
        case 7:
            return "REG_MULTI_SZ";
        case 11:
            return "REG_QWORD";
        default:
            return "registry type " + std::to_string(type);
    }
}

}  // namespace

std::string FoldRegistryPath(std::string_view path) {
    std::string s;
    s.reserve(path.size());
    for (char c : path) {
        if (c == '\\' && (s.empty() || s.back() == '\\')) continue;
        s += FoldChar(c);
    }
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

// Reads the decoded (UTF-8) lines of one file into a RegFile.
class RegFileParser {
public:
    RegFileParser(RegFile& reg, std::string_view text) : reg_(reg) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines_.push_back(line);
            start = end + 1;
        }
    }

    void Run() {
        std::size_t i = 0;
        while (i < lines_.size() && TrimView(lines_[i]).empty()) ++i;
        if (i == lines_.size())
            Fail(1, "empty file: the first line must be \"" + std::string(kHeader5) + "\" or \"" +
                        std::string(kHeader4) + "\"");
        std::string_view header = TrimView(lines_[i]);
        if (header == kHeader5) {
            regedit4_ = false;
        } else if (header == kHeader4) {
            regedit4_ = true;
        } else {
            Fail(Line(i), "not a registry file: the first line must be \"" + std::string(kHeader5) +
                              "\" or \"" + std::string(kHeader4) + "\"");
        }
        for (++i; i < lines_.size(); ++i) {
            std::string_view line = TrimView(lines_[i]);
            if (line.empty() || line.front() == ';') continue;
            if (line.front() == '[') {
                KeyLine(i, line);
            } else if (line.front() == '"' || line.front() == '@') {
                i = ValueLine(i, line);
            } else {
                Fail(Line(i), "expected a [key], a \"name\"=value line or a ';' comment");
            }
        }
    }

private:
    int Line(std::size_t index) const { return static_cast<int>(index) + 1; }

    [[noreturn]] void Fail(int line, const std::string& what) const {
        throw RegistryError(reg_.fileName_ + ":" + std::to_string(line) + ": " + what);
    }

    void KeyLine(std::size_t i, std::string_view line) {
        if (line.back() != ']') Fail(Line(i), "key line without its closing ']'");
        std::string_view path = line.substr(1, line.size() - 2);
        bool remove = !path.empty() && path.front() == '-';
        if (remove) path.remove_prefix(1);
        std::string folded = FoldRegistryPath(path);
        if (folded.empty()) Fail(Line(i), "key line without a key name");
        std::string root = folded.substr(0, folded.find('\\'));
        if (std::find(std::begin(kRoots), std::end(kRoots), root) == std::end(kRoots))
            Fail(Line(i), "unknown root key '" + std::string(path.substr(0, root.size())) +
                              "': a key must start with HKEY_LOCAL_MACHINE or another root name");
        if (remove) {
            std::erase_if(reg_.keys_, [&](const auto& entry) {
                const std::string& k = entry.first;
                return k == folded || (k.size() > folded.size() && k[folded.size()] == '\\' &&
                                       k.compare(0, folded.size(), folded) == 0);
            });
            currentKey_ = nullptr;
            return;
        }
        // A key implies its parents, as on Windows.
        for (std::size_t p = folded.find('\\'); p != std::string::npos;
             p = folded.find('\\', p + 1))
            reg_.keys_[folded.substr(0, p)];
        currentKey_ = &reg_.keys_[folded];
    }

    // Reads a quoted string starting at line[pos] == '"'; returns the text and moves pos past the
    // closing quote.
    std::string QuotedString(std::size_t i, std::string_view line, std::size_t& pos) const {
        std::string s;
        for (++pos; pos < line.size(); ++pos) {
            char c = line[pos];
            if (c == '"') {
                ++pos;
                return s;
            }
            if (c == '\\') {
                if (pos + 1 >= line.size()) break;
                char e = line[++pos];
                if (e != '\\' && e != '"')
                    Fail(Line(i), std::string("unknown escape '\\") + e +
                                      "' in a string (only \\\\ and \\\" are allowed)");
                c = e;
            }
            s += c;
        }
        Fail(Line(i), "string without its closing '\"'");
    }

    // Returns the index of the last line that the value used (byte lists may continue).
    std::size_t ValueLine(std::size_t i, std::string_view line) {
        if (currentKey_ == nullptr) Fail(Line(i), "value line outside a [key] section");
        RegValue value;
        value.line = Line(i);
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else {
            value.name = QuotedString(i, line, pos);
        }
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
        if (pos >= line.size() || line[pos] != '=')
            Fail(Line(i), "expected '=' after the value name");
        std::string_view data = TrimBlanks(line.substr(pos + 1));
        std::string folded = FoldName(value.name);

        if (data == "-") {
            currentKey_->values.erase(folded);
            return i;
        }
        if (!data.empty() && data.front() == '"') {
            std::size_t p = 0;
            value.text = QuotedString(i, data, p);
            if (!TrimBlanks(data.substr(p)).empty())
                Fail(Line(i), "unexpected text after the string");
            value.text = value.text.substr(0, value.text.find('\0'));
            value.kind = RegValue::Kind::String;
            value.typeName = TypeName(1);
        } else if (data.starts_with("dword:")) {
            std::string_view digits = data.substr(6);
            if (digits.empty() || digits.size() > 8 ||
                !std::all_of(digits.begin(), digits.end(), [](char c) { return HexDigit(c) >= 0; }))
                Fail(Line(i), "dword value must be one to eight hexadecimal digits");
            value.kind = RegValue::Kind::Other;
            value.typeName = TypeName(4);
        } else if (data.starts_with("hex")) {
            i = HexValue(i, data, value);
        } else {
            Fail(Line(i), "unrecognised value data: expected \"text\", dword:, hex: or hex(n):");
        }
        currentKey_->values[folded] = std::move(value);
        return i;
    }

    // data starts with "hex"; parses the type and the byte list (which may continue over several
    // lines) into value. Returns the index of the last line used.
    std::size_t HexValue(std::size_t i, std::string_view data, RegValue& value) {
        unsigned type = 3;
        std::size_t pos = 3;
        if (pos < data.size() && data[pos] == '(') {
            std::size_t close = data.find(')', pos);
            std::string_view t = close == std::string_view::npos
                                     ? std::string_view{}
                                     : data.substr(pos + 1, close - pos - 1);
            if (t.empty() || t.size() > 8 ||
                !std::all_of(t.begin(), t.end(), [](char c) { return HexDigit(c) >= 0; }))
                Fail(Line(i), "hex(n): needs a hexadecimal type number n");
            type = 0;
            for (char c : t) type = type * 16 + static_cast<unsigned>(HexDigit(c));
            pos = close + 1;
        }
        if (pos >= data.size() || data[pos] != ':') Fail(Line(i), "expected ':' after hex");
        std::string bytes;
        std::string_view rest = data.substr(pos + 1);
        bool expectByte = false;  // a ',' was read and its byte is still to come
        for (;;) {
            rest = TrimBlanks(rest);
            bool continues = !rest.empty() && rest.back() == '\\';
            if (continues) rest = TrimBlanks(rest.substr(0, rest.size() - 1));
            while (!rest.empty()) {
                std::size_t comma = rest.find(',');
                std::string_view token = TrimBlanks(rest.substr(0, comma));
                if (token.empty() || token.size() > 2 || HexDigit(token[0]) < 0 ||
                    (token.size() == 2 && HexDigit(token[1]) < 0))
                    Fail(Line(i), "byte list: '" + std::string(token) +
                                      "' is not a two-digit hexadecimal byte");
                int b = HexDigit(token[0]);
                if (token.size() == 2) b = b * 16 + HexDigit(token[1]);
                bytes += static_cast<char>(b);
                expectByte = comma != std::string_view::npos;
                rest =
                    comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            }
            if (!continues) break;
            if (i + 1 >= lines_.size())
                Fail(Line(i), "byte list continues past the end of the file");
            rest = lines_[++i];
        }
        if (expectByte) Fail(Line(i), "byte list ends with ','");
        value.typeName = TypeName(type);
        if (type == 1 || type == 2) {
            value.kind = type == 1 ? RegValue::Kind::String : RegValue::Kind::ExpandString;
            value.text = BytesToText(value.line, bytes);
        } else {
            value.kind = RegValue::Kind::Other;
        }
        return i;
    }

    // The text of a hex(1)/hex(2) value: UTF-16LE in a version 5.00 file, code page 936 in a
    // REGEDIT4 file; ends at the first NUL.
    std::string BytesToText(int line, const std::string& bytes) const {
        std::string text;
        if (regedit4_) {
            try {
                text = Cp936ToUtf8(std::string_view(bytes).substr(0, bytes.find('\0')));
            } catch (const TextCodecError& e) {
                Fail(line, std::string("expandable string is not code page 936 text: ") + e.what());
            }
        } else {
            if (bytes.size() % 2 != 0) Fail(line, "UTF-16 text of an odd number of bytes");
            if (AppendUtf16LeAsUtf8(bytes, text) != std::string_view::npos)
                Fail(line, "UTF-16 text with an unpaired surrogate");
            text = text.substr(0, text.find('\0'));
        }
        return text;
    }

    RegFile& reg_;
    std::vector<std::string_view> lines_;
    bool regedit4_ = false;
    RegFile::Key* currentKey_ = nullptr;
};

RegFile RegFile::Parse(std::string_view bytes, const std::string& fileName) {
    RegFile reg;
    reg.fileName_ = fileName;
    auto fail = [&](int line, const std::string& what) {
        throw RegistryError(fileName + ":" + std::to_string(line) + ": " + what);
    };
    std::string text;
    if (bytes.starts_with("\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (AppendUtf16LeAsUtf8(bytes, text) != std::string_view::npos)
            fail(LineAt(text, text.size()), "invalid UTF-16: unpaired surrogate");
        if (bytes.size() % 2 != 0)
            fail(LineAt(text, text.size()), "UTF-16 file ends in the middle of a character");
    } else if (bytes.starts_with("\xFE\xFF")) {
        fail(1, "UTF-16 big-endian files are not supported; save it as UTF-16LE or UTF-8");
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        std::size_t bad = FindInvalidUtf8(bytes);
        if (bad != std::string_view::npos)
            fail(LineAt(bytes, bad),
                 "not UTF-8 text (save the file as UTF-8 or UTF-16LE with BOM)");
        text.assign(bytes);
    }
    RegFileParser parser(reg, text);
    parser.Run();
    return reg;
}

RegFile RegFile::Load(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        int err = errno;
        if (err == ENOENT) {  // no store file: no key exists
            RegFile empty;
            empty.fileName_ = path;
            return empty;
        }
        throw RegistryError(path + ": cannot open: " + std::strerror(err));
    }
    std::string content;
    char buf[8192];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file.get())) > 0) content.append(buf, n);
    if (std::ferror(file.get()))
        throw RegistryError(path + ": cannot read: " + std::strerror(errno));
    return Parse(content, path);
}

bool RegFile::KeyExists(std::string_view keyPath) const {
    return keys_.contains(FoldRegistryPath(keyPath));
}

const RegValue* RegFile::FindValue(std::string_view keyPath, std::string_view name) const {
    auto key = keys_.find(FoldRegistryPath(keyPath));
    if (key == keys_.end()) return nullptr;
    auto value = key->second.values.find(FoldName(name));
    return value == key->second.values.end() ? nullptr : &value->second;
}

}  // namespace kavel
