// Windows threads for the framework's worker threads: CreateThread with the default security and
// stack size and no creation flags; the handle is closed at once, so the thread is never waited on.
#include "framework/Thread.h"

#include "framework/win32/Win32Api.h"

#include <memory>

namespace {

DWORD WINAPI RunBody(void* argument) {
    std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
    (*body)();
    return 0;
}

}  // namespace

bool StartWorkerThread(std::function<void()> body) {
    auto heapBody = std::make_unique<std::function<void()>>(std::move(body));
    HANDLE thread = CreateThread(nullptr, 0, RunBody, heapBody.get(), 0, nullptr);
    if (thread == nullptr) return false;
    heapBody.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

void SleepMilliseconds(unsigned milliseconds) {
    Sleep(milliseconds);
}
