// Worker threads as the passes use them: started once, never joined, never waited for.
#pragma once

#include <functional>

// Runs body on a new thread with the system's default attributes and keeps no handle to it.
// Returns false when the system could not create the thread.
bool StartWorkerThread(std::function<void()> body);

void SleepMilliseconds(unsigned milliseconds);
