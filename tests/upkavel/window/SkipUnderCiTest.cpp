// Under CI a database test whose stand-in cannot start fails with the reason; a skip there would
// show a broken stand-in as green.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "SkipOrFail.h"
#include "StandinDatabase.h"

namespace kavel {
namespace {

// Sets CI for the life of the object and puts the previous value back.
class CiVariable {
public:
    explicit CiVariable(const char* value) {
        if (const char* old = std::getenv("CI")) previous_ = old;
        setenv("CI", value, 1);
    }
    ~CiVariable() {
        if (previous_)
            setenv("CI", previous_->c_str(), 1);
        else
            unsetenv("CI");
    }

private:
    std::optional<std::string> previous_;
};

class SkipUnderCiTest : public test::StandinDatabaseTest {};

TEST_F(SkipUnderCiTest, AStandinThatCannotStartFailsTheTestWithItsReason) {
    CiVariable ci("true");
    EXPECT_NONFATAL_FAILURE(
        EXPECT_THROW(StartStandinOn("no_such_fixture.sql"), standin::test::MissingPrerequisite),
        "the stand-in server cannot start here");
    EXPECT_FALSE(IsSkipped());
    EXPECT_EQ(server, nullptr);
}

}  // namespace
}  // namespace kavel
