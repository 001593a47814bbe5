#pragma once
// A test that cannot get what it needs from the machine (a stand-in server that will not start,
// a missing X server) is skipped with the reason on a developer's machine. Under CI (the
// environment variable CI set) the same reason fails the test: there a broken stand-in or a
// missing package is a fault, and a skip would show it as green.

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace standin::test {

// Thrown after the failure is recorded, so that the rest of the test does not run on what is
// missing, also when the macro is used in a helper that the test body called.
class MissingPrerequisite : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline bool SkipsAreFailures() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && *ci != '\0';
}

}  // namespace standin::test

// Skips the current test with `reason`, or under CI fails it. A skip returns from the enclosing
// function only, so a helper's caller checks IsSkipped() as it would after GTEST_SKIP.
#define SKIP_OR_FAIL_UNDER_CI(reason)                                          \
    do {                                                                       \
        const std::string skipOrFailReason_ = (reason);                        \
        if (::standin::test::SkipsAreFailures()) {                             \
            ADD_FAILURE() << skipOrFailReason_ << " (CI is set: not skipped)"; \
            throw ::standin::test::MissingPrerequisite(skipOrFailReason_);     \
        }                                                                      \
        GTEST_SKIP() << skipOrFailReason_;                                     \
    } while (false)
