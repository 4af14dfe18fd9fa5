// Opening a file the program reads at start-up, safely whatever the name turns out to be: only
// a regular file is opened, and opening never waits.
#pragma once

#include <cstdio>

// Opens `fileName` for binary reading when it is a regular file. A directory opens but cannot be
// read, and a device or pipe could block or never end, so they are refused (`notRegular` set);
// the open itself does not block, as opening a pipe that no one writes to would wait forever.
// Returns the open file, or null: `notRegular` tells which refusal, errno the open's failure.
std::FILE* openRegularFile(const char* fileName, bool& notRegular);
