// The few threading primitives the reader needs: one worker thread, and one lock with a condition
// on which either side waits for the other.
#pragma once

struct ReaderThread;
struct Monitor;

// Runs body(argument) on a new thread; nullptr when no thread can be had.
ReaderThread* startReaderThread(void (*body)(void* argument), void* argument);
// Waits for the thread's body to return and releases the thread.
void joinReaderThread(ReaderThread* thread);

// nullptr when the system has none left.
Monitor* createMonitor();
void enterMonitor(Monitor* monitor);
void leaveMonitor(Monitor* monitor);
// Called inside: leaves, waits for a notification (or wakes for no reason), enters again.
void waitMonitor(Monitor* monitor);
// Wakes every thread waiting in the monitor.
void notifyMonitor(Monitor* monitor);
void destroyMonitor(Monitor* monitor);
