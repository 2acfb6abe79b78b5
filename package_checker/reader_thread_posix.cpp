#include <pthread.h>

#include <new>

#include "reader_thread.h"

struct ReaderThread {
    pthread_t id;
    void (*body)(void*);
    void* argument;
};

struct Monitor {
    pthread_mutex_t lock;
    pthread_cond_t changed;
};

static void* runBody(void* thread) {
    ReaderThread* self = static_cast<ReaderThread*>(thread);
    self->body(self->argument);
    return nullptr;
}

ReaderThread* startReaderThread(void (*body)(void*), void* argument) {
    ReaderThread* thread = new (std::nothrow) ReaderThread{pthread_t(), body, argument};
    if (thread == nullptr) return nullptr;
    if (pthread_create(&thread->id, nullptr, runBody, thread) != 0) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void joinReaderThread(ReaderThread* thread) {
    pthread_join(thread->id, nullptr);
    delete thread;
}

Monitor* createMonitor() {
    Monitor* monitor = new (std::nothrow) Monitor;
    if (monitor == nullptr) return nullptr;
    if (pthread_mutex_init(&monitor->lock, nullptr) != 0) {
        delete monitor;
        return nullptr;
    }
    if (pthread_cond_init(&monitor->changed, nullptr) != 0) {
        pthread_mutex_destroy(&monitor->lock);
        delete monitor;
        return nullptr;
    }
    return monitor;
}

void enterMonitor(Monitor* monitor) { pthread_mutex_lock(&monitor->lock); }
void leaveMonitor(Monitor* monitor) { pthread_mutex_unlock(&monitor->lock); }
void waitMonitor(Monitor* monitor) { pthread_cond_wait(&monitor->changed, &monitor->lock); }
void notifyMonitor(Monitor* monitor) { pthread_cond_broadcast(&monitor->changed); }

void destroyMonitor(Monitor* monitor) {
    pthread_cond_destroy(&monitor->changed);
    pthread_mutex_destroy(&monitor->lock);
    delete monitor;
}
