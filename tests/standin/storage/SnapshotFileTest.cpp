#include <gtest/gtest.h>

#include "TestSupport.h"
#include "storage/SnapshotFile.h"

namespace standin {
namespace {

TEST(SnapshotFile, DamageIsNamed) {
    const std::string good = EncodeSnapshot(5, "0123456789abcdef");
    std::string flippedPayload = good;
    flippedPayload[kSnapshotHeaderSize + 3] ^= 0x20;
    std::string flippedHeader = good;
    flippedHeader[8] ^= 1;
    const struct {
        const char* name;
        std::string bytes;
        const char* expect;
    } cases[] = {
        {"empty", "", "not a sqlstandin snapshot"},
        {"foreign", std::string(64, 'x'), "not a sqlstandin snapshot"},
        {"header only partly there", good.substr(0, 20), "not a sqlstandin snapshot"},
        {"truncated", good.substr(0, good.size() - 1), "truncated"},
        {"trailing bytes", good + "!", "holds 17"},
        {"payload flipped", flippedPayload, "snapshot is damaged"},
        {"header flipped", flippedHeader, "header is damaged"},
    };
    for (const auto& c : cases) {
        const std::string error =
            testing::ErrorText([&] { DecodeSnapshot(c.bytes, "db/snapshot.bin"); });
        EXPECT_NE(error.find(c.expect), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find("db/snapshot.bin"), std::string::npos) << c.name << ": " << error;
    }
}

TEST(SnapshotFile, AnySingleDamagedByteIsDetected) {
    const std::string good = EncodeSnapshot(9, std::string(300, 'p') + "payload");
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (const int flip : {0x01, 0x80, 0xFF}) {
            std::string bytes = good;
            bytes[at] ^= static_cast<char>(flip);
            EXPECT_THROW(DecodeSnapshot(bytes, "s"), std::runtime_error)
                << "byte " << at << " ^ " << flip;
        }
    }
}

}  // namespace
}  // namespace standin
