// libFuzzer target: the input is what a client sends on one connection. It runs through the
// packet reader, PRELOGIN, LOGIN7, SQL batch and RPC decoding and the reply encoders of a real
// TdsSession, with an engine that accepts every login and answers every batch with a result of
// each column type. A crash, sanitizer report or hang is a finding; a ProtocolError is not.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "Engine.h"
#include "Packet.h"
#include "TdsSession.h"

namespace {

using namespace standin;

class InputSource : public tds::ByteSource {
public:
    InputSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t ReadSome(std::span<std::uint8_t> buffer) override {
        // Odd-sized reads exercise reassembly across partial reads.
        const std::size_t n = std::min({buffer.size(), size_ - pos_, std::size_t{1} + pos_ % 977});
        std::memcpy(buffer.data(), data_ + pos_, n);
        pos_ += n;
        return n;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class DiscardSink : public tds::ByteSink {
public:
    void WriteAll(std::span<const std::uint8_t> bytes) override { written += bytes.size(); }
    std::size_t written = 0;
};

class CannedEngine : public Engine {
public:
    BatchOutcome ExecuteBatch(Session&, std::string_view sql) override {
        StatementOutcome s;
        ResultSet rs;
        rs.columns = {{"c", {TypeId::Char, 4}},  {"v", {TypeId::VarChar, 8}},
                      {"t", {TypeId::Text}},     {"i", {TypeId::Int}},
                      {"b", {TypeId::Bit}},      {"n", {TypeId::Numeric, 0, 38, 4}},
                      {"d", {TypeId::DateTime}}, {"s", {TypeId::TinyInt}}};
        const std::int64_t k = static_cast<std::int64_t>(sql.size());
        rs.rows.push_back({std::string(sql.substr(0, 4)), std::string(sql.substr(0, 8)),
                           std::string(sql), k, std::int64_t{k & 1}, Decimal{k * 12345, 38, 4},
                           DateTime{static_cast<std::int32_t>(k), 0},
                           std::int64_t{k % 300}});  // over 255 for some lengths: an encoding error
        rs.rows.push_back(std::vector<Value>(rs.columns.size()));
        s.rowCount = 2;
        s.resultSet = std::move(rs);
        s.messages.push_back({0, 1, 0, std::string(sql.substr(0, 100)), 1});
        BatchOutcome out;
        out.statements.push_back(std::move(s));
        return out;
    }
    bool CheckLogin(std::string_view user, std::string_view) const override {
        return user != "deny";
    }
    void Checkpoint() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CannedEngine engine;
    InputSource in(data, size);
    DiscardSink out;
    tds::TdsSession session(engine, in, out, 51);
    session.Run();  // every fault must come back as a reason, never escape or crash
    return 0;
}
