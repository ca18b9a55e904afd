#pragma once
// Starting the updater and the converter. Both run as separate processes
// from the program folder; the main program never waits for them.
#include <QString>

#include <sys/types.h>

// Moves a new updater left in "temp/Brannock" over "Brannock" (by rename,
// keeping the old file's mode). A failed move keeps the old updater and is
// logged, and so is a new copy whose mode cannot be set. Nothing to do when
// no new copy waits.
void MoveWaitingUpdater();

// Test seam: the chmod MoveWaitingUpdater uses (null: the system's). Returns
// the previous one.
using ChmodFunction = int (*)(const char* path, mode_t mode);
ChmodFunction SetChmodForTests(ChmodFunction function);

// Starts the updater with the update address, and "/hide" for a silent check.
// An empty address is still passed as an argument of its own. True when the
// process really started.
bool StartUpdater(const QString& updateAddress, bool silentCheck);

// Starts the converter: with "/auto" at start-up, without arguments from the menu.
bool StartConverter(bool automatic);
