// POSIX: fdatasync, then posix_fadvise(DONTNEED), which drops only clean pages.
#include "framework/PageCache.h"

#include <fcntl.h>
#include <unistd.h>

bool FlushAndForgetCachedPages(const std::string& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    if (descriptor < 0) return false;
    bool synced = ::fdatasync(descriptor) == 0;
    bool dropped = ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(descriptor);
    return synced && dropped;
}
