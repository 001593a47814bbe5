#pragma once
// The data module: owner of the program's one database connection LibDB. Loading the module
// connects LibDB; its before-connect handler applies the registry settings and puts up the
// splash, its after-connect handler takes the splash down and opens the connection gate.

#include <QObject>
#include <memory>

#include "TDatabase.h"

namespace kavel {

class TFlashTools;

class TdbToolsMain : public QObject {
public:
    // Sets LibDB's design-time properties; does not connect yet.
    TdbToolsMain();
    ~TdbToolsMain() override;

    // Finishes loading: LibDB is stored as connected, so this connects it. Raises what the
    // registry, the digit code or the connection raises.
    void Loaded();

    TDatabase LibDB;

    void LibDBBeforeConnect();
    void LibDBAfterConnect();

private:
    std::unique_ptr<TFlashTools> splash_;  // owned, as the splash's owner is this module
};

// The data module once start-up has created it; null before and after.
extern TdbToolsMain* dbToolsMain;

}  // namespace kavel
