// What the end of the process does on its own: the log file, the game journal and the
// connection to the money server close. The headless runner calls it after a run, since
// there the process goes on.
#pragma once

void EndOfProcess();
