#include "Trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "Unicode.h"

namespace standin {

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    while (!text.empty()) {
        // Printable ASCII other than the quote and the backslash goes out as a run.
        std::size_t run = 0;
        while (run < text.size()) {
            const auto b = static_cast<unsigned char>(text[run]);
            if (b < 0x20 || b >= 0x7F || b == '"' || b == '\\') break;
            ++run;
        }
        out.append(text.data(), run);
        text.remove_prefix(run);
        if (text.empty()) break;
        const auto c = static_cast<unsigned char>(text[0]);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xF];
                } else if (c >= 0x80) {
                    const std::size_t n = kavel::Utf8SequenceAt(text);
                    if (n == 0) {
                        out += "\\ufffd";
                    } else {
                        out.append(text.data(), n);
                        text.remove_prefix(n - 1);
                    }
                } else {
                    out += static_cast<char>(c);
                }
        }
        text.remove_prefix(1);
    }
    out += '"';
}

const SqlMessage* FirstError(const BatchOutcome& outcome) {
    for (const StatementOutcome& s : outcome.statements)
        for (const SqlMessage& m : s.messages)
            if (m.severity > 10) return &m;
    return nullptr;
}

TraceWriter::TraceWriter(std::filesystem::path file)
    : file_(std::move(file)), handle_(OpenFile(file_, O_WRONLY | O_CREAT | O_APPEND)) {
    // Count the lines already there, reading in chunks: a trace can grow large.
    const FileHandle reader = OpenFile(file_, O_RDONLY);
    char chunk[1 << 16];
    char last = '\n';
    for (;;) {
        const ssize_t n = ::read(reader.Fd(), chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowFileError("read", file_, errno);
        if (n == 0) break;
        seq_ += static_cast<std::uint64_t>(std::count(chunk, chunk + n, '\n'));
        last = chunk[n - 1];
    }
    // A line cut short by a crash would run into the next one: end it first.
    if (last != '\n') {
        WriteAll(handle_, "\n", file_);
        ++seq_;
    }
}

void TraceWriter::Write(int session, std::string_view text, const SqlMessage* error) {
    line_.clear();
    line_ += "{\"seq\":";
    line_ += std::to_string(++seq_);
    line_ += ",\"session\":";
    line_ += std::to_string(session);
    line_ += ",\"text\":";
    AppendJsonString(line_, text);
    line_ += ",\"error\":";
    if (error == nullptr) {
        line_ += "null";
    } else {
        line_ += "{\"number\":";
        line_ += std::to_string(error->number);
        line_ += ",\"message\":";
        AppendJsonString(line_, error->text);
        line_ += '}';
    }
    line_ += "}\n";
    WriteAll(handle_, line_, file_);
}

}  // namespace standin
