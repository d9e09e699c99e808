// POSIX threads for the framework's worker threads.
#include "framework/Thread.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <memory>

namespace {

void* RunBody(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return nullptr;
}

}  // namespace

bool StartWorkerThread(std::function<void()> body) {
    auto heapBody = std::make_unique<std::function<void()>>(std::move(body));
    pthread_t thread;
    if (pthread_create(&thread, nullptr, RunBody, heapBody.get()) != 0) return false;
    heapBody.release();  // the thread owns it now
    pthread_detach(thread);
    return true;
}

void SleepMilliseconds(unsigned milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000),
                       static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}
