// Making a read go to the medium rather than to the system's cache of what was just written.
#pragma once

#include <string>

// Writes the file's cached data out to the medium, then drops its cached pages, so that the next
// read of it comes from the medium itself. False when the file cannot be opened or synced.
bool FlushAndForgetCachedPages(const std::string& path);
