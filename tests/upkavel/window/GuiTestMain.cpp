// Test entry for the tests that need Qt: one QApplication for the whole run (offscreen unless
// the environment says otherwise), so forms can be created, shown and grabbed.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "TApplication.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The journal every upgrade run appends to goes to a folder of this test process, never to
    // the user's own.
    char journalHome[] = "/tmp/upkavel-tests-XXXXXX";
    const bool ownJournalHome = mkdtemp(journalHome) != nullptr;
    if (ownJournalHome) setenv("XDG_DATA_HOME", journalHome, 1);
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    kavel::Application.DestroyComponents();
    std::error_code ignored;
    if (ownJournalHome) std::filesystem::remove_all(journalHome, ignored);
    return result;
}
