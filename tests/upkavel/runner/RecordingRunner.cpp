#include "RecordingRunner.h"

#include <stdlib.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <system_error>

namespace kavel::test {

void RecordingRunner::ShowWorking() { workingVisible = true; }

void RecordingRunner::HideWorking() { workingVisible = false; }

void RecordingRunner::ShowBar() { barVisible = true; }

void RecordingRunner::SetBar(int position) { MoveBar(position); }

void RecordingRunner::AdvanceBar(int position) { MoveBar(position); }

void RecordingRunner::HideBar() { barVisible = false; }

void RecordingRunner::MoveBar(int position) {
    if (position == barValue) return;
    barValue = position;
    barPositions.push_back(position);
    if (onBarMoved) onBarMoved(position);
}

void RecordingRunner::PumpMessages() {
    ++pumps;
    if (onPump) onPump();
}

void RecordingRunner::Recovered(const std::string& what) { recovered.push_back(what); }

int RecordingRunner::Show(const std::string& text, const std::string& caption, unsigned flags) {
    boxes.push_back({text, caption, flags});
    return mb::kIdOk;
}

void RunnerTest::TearDown() {
    runner.reset();
    StandinDatabaseTest::TearDown();
    if (!folder.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

void RunnerTest::StartRunner(const std::string& fixture, const std::string& extraSql) {
    StartStandinOn(fixture, extraSql);
    if (IsSkipped() || HasFatalFailure()) return;
    AttachRunner();
}

void RunnerTest::AttachRunner() {
    ASSERT_TRUE(folder.empty()) << "one runner per test";
    std::string pattern =
        (std::filesystem::temp_directory_path() / "upkavel-runner-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << pattern;
    folder = pattern;
    runner = std::make_unique<TUpgradeRunner>(database, recorder, recorder);
    runner->ProgramFolder = folder.string();
}

std::string RunnerTest::RunUpgradeFailure(bool withEarlier) {
    try {
        runner->RunUpgrade(withEarlier);
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

void RunnerTest::WriteFile(const char* name, const std::string& bytes) const {
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out.is_open()) << (folder / name);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    ASSERT_TRUE(out.good()) << (folder / name);
}

std::vector<std::string> RunnerTest::Ledger() {
    auto rows = Column("select vm_mess from ver_manage");
    for (auto& r : rows) r.erase(r.find_last_not_of(' ') + 1);
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<std::string> RunnerTest::SentSince(std::size_t mark, const std::string& prefix) const {
    std::vector<std::string> sent;
    for (const auto& s : TracedSince(mark))
        if (s.rfind(prefix, 0) == 0) sent.push_back(s);
    return sent;
}

}  // namespace kavel::test
