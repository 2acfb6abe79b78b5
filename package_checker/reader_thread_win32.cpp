#include <windows.h>

#include <new>

#include "reader_thread.h"

// The toolchain's win32 thread model has no std::thread: the system's own calls are used.
struct ReaderThread {
    HANDLE handle;
    void (*body)(void*);
    void* argument;
};

struct Monitor {
    SRWLOCK lock;
    CONDITION_VARIABLE changed;
};

static DWORD WINAPI runBody(LPVOID thread) {
    ReaderThread* self = static_cast<ReaderThread*>(thread);
    self->body(self->argument);
    return 0;
}

ReaderThread* startReaderThread(void (*body)(void*), void* argument) {
    ReaderThread* thread = new (std::nothrow) ReaderThread{nullptr, body, argument};
    if (thread == nullptr) return nullptr;
    thread->handle = CreateThread(nullptr, 0, runBody, thread, 0, nullptr);
    if (thread->handle == nullptr) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void joinReaderThread(ReaderThread* thread) {
    WaitForSingleObject(thread->handle, INFINITE);
    CloseHandle(thread->handle);
    delete thread;
}

Monitor* createMonitor() {
    Monitor* monitor = new (std::nothrow) Monitor;
    if (monitor == nullptr) return nullptr;
    InitializeSRWLock(&monitor->lock);
    InitializeConditionVariable(&monitor->changed);
    return monitor;
}

void enterMonitor(Monitor* monitor) { AcquireSRWLockExclusive(&monitor->lock); }
void leaveMonitor(Monitor* monitor) { ReleaseSRWLockExclusive(&monitor->lock); }
void waitMonitor(Monitor* monitor) {
    SleepConditionVariableSRW(&monitor->changed, &monitor->lock, INFINITE, 0);
}
void notifyMonitor(Monitor* monitor) { WakeAllConditionVariable(&monitor->changed); }
void destroyMonitor(Monitor* monitor) { delete monitor; }
