#include <pthread.h>
#include <semaphore.h>

#include <cerrno>
#include <new>

#include "reader_thread.h"

struct ReaderThread {
    pthread_t id;
    void (*body)(void*);
    void* argument;
};

struct Semaphore {
    sem_t sem;
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

Semaphore* createSemaphore(int initialCount) {
    Semaphore* semaphore = new (std::nothrow) Semaphore;
    if (semaphore != nullptr && sem_init(&semaphore->sem, 0, initialCount) != 0) {
        delete semaphore;
        return nullptr;
    }
    return semaphore;
}

void waitSemaphore(Semaphore* semaphore) {
    while (sem_wait(&semaphore->sem) != 0 && errno == EINTR) {
    }
}

void postSemaphore(Semaphore* semaphore) { sem_post(&semaphore->sem); }

void destroySemaphore(Semaphore* semaphore) {
    sem_destroy(&semaphore->sem);
    delete semaphore;
}
