// The few threading primitives the read-ahead needs: one worker thread and counting semaphores.
#pragma once

struct ReaderThread;
struct Semaphore;

// Runs body(argument) on a new thread; nullptr when no thread can be had.
ReaderThread* startReaderThread(void (*body)(void* argument), void* argument);
// Waits for the thread's body to return and releases the thread.
void joinReaderThread(ReaderThread* thread);

// nullptr when the system has none left.
Semaphore* createSemaphore(int initialCount);
void waitSemaphore(Semaphore* semaphore);
void postSemaphore(Semaphore* semaphore);
void destroySemaphore(Semaphore* semaphore);
