#include "sql/ScriptSplitter.h"

#include "Trim.h"

namespace standin {
namespace {
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
}

bool IsGoLine(std::string_view line) {
    const std::string_view t = kavel::TrimView(line);
    return t.size() == 2 && (t[0] == 'G' || t[0] == 'g') && (t[1] == 'O' || t[1] == 'o');
}

std::optional<std::string> ScriptSplitter::AddLine(std::string_view line) {
    if (atStart_ && line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
    atStart_ = false;
    if (IsGoLine(line)) return TakeBatch();
    pending_ += line;
    return std::nullopt;
}

std::optional<std::string> ScriptSplitter::Finish() { return TakeBatch(); }

std::optional<std::string> ScriptSplitter::TakeBatch() {
    std::string batch;
    batch.swap(pending_);
    if (kavel::TrimView(batch).empty()) return std::nullopt;
    return batch;
}

std::vector<std::string> SplitScript(std::string_view script) {
    ScriptSplitter splitter;
    std::vector<std::string> batches;
    while (!script.empty()) {
        const std::size_t nl = script.find('\n');
        const std::size_t n = nl == std::string_view::npos ? script.size() : nl + 1;
        if (auto batch = splitter.AddLine(script.substr(0, n)))
            batches.push_back(std::move(*batch));
        script.remove_prefix(n);
    }
    if (auto batch = splitter.Finish()) batches.push_back(std::move(*batch));
    return batches;
}

}  // namespace standin
