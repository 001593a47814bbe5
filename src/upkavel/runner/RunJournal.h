#pragma once
// The journal of every run: UpKavel.log in $XDG_DATA_HOME/KorvenSoft/UpKavel/ (default
// ~/.local/share/KorvenSoft/UpKavel/; on Windows %LOCALAPPDATA%\KorvenSoft\UpKavel\), appended to
// by both front ends, so support staff can read afterwards what a run did and where it stopped.
//
// Each line starts with the local time and is written whole and flushed before the upgrade goes
// on, so a crash or a kill keeps every line up to the one in flight. A journal over 10 MiB is
// moved to UpKavel.log.1 (replacing an older one) before a run starts a new one. A journal that
// cannot be opened or written never stops or changes the upgrade: Ok() turns false, Problem()
// says why, and nothing more is written.

#include <cstdio>
#include <optional>
#include <string>

namespace kavel {

class TDatabase;

class RunJournal {
public:
    // The journal's folder by the rules above; empty when the system names no home folder.
    static std::string DefaultFolder();

    // Opens folder/UpKavel.log for appending, creating the folder when it is missing.
    explicit RunJournal(const std::string& folder);
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    bool Ok() const { return file_ != nullptr; }
    const std::string& Problem() const { return problem_; }
    const std::string& Path() const { return path_; }

    // The run's first line: program and version, data source and user name (never the
    // password), host, and the boxes ("backup confirmed, earlier upgrades ticked"; left out
    // before there is an upgrade run, as when connecting fails).
    void Header(const std::string& program, const TDatabase& libDB,
                std::optional<bool> withEarlier);
    // One line, the local time before it.
    void Line(const std::string& text);

private:
    void Fail(const std::string& why);

    std::string path_;
    std::string problem_;
    std::FILE* file_ = nullptr;
};

}  // namespace kavel
