#include <windows.h>

#include <new>

#include "reader_thread.h"

// The toolchain's win32 thread model has no std::thread: the system's own calls are used.
struct ReaderThread {
    HANDLE handle;
    void (*body)(void*);
    void* argument;
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

Semaphore* createSemaphore(int initialCount) {
    return reinterpret_cast<Semaphore*>(
        CreateSemaphoreW(nullptr, initialCount, 0x7FFFFFFF, nullptr));
}

void waitSemaphore(Semaphore* semaphore) {
    WaitForSingleObject(reinterpret_cast<HANDLE>(semaphore), INFINITE);
}

void postSemaphore(Semaphore* semaphore) {
    ReleaseSemaphore(reinterpret_cast<HANDLE>(semaphore), 1, nullptr);
}

void destroySemaphore(Semaphore* semaphore) { CloseHandle(reinterpret_cast<HANDLE>(semaphore)); }
