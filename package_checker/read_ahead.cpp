#include "read_ahead.h"

#include <atomic>
#include <new>

#include "reader_thread.h"

struct ReadAhead {
    ListedFile* file;
    int64_t size;
    uint8_t* buffer;
    size_t blockSize;
    int blockCount;
    long lengths[kMaxReadAheadBlocks];  // what the read of each block gave
    Semaphore* emptied;                 // blocks the reader may fill
    Semaphore* filled;                  // blocks the consumer may take
    std::atomic<bool> stopping;
    ReaderThread* reader;
    // The consumer's side.
    int nextSlot;
    bool holding;  // the consumer has a block that the reader must not overwrite yet
    bool ended;
    int64_t handedOut;
};

static uint8_t* blockAt(ReadAhead* ahead, int slot) {
    return ahead->buffer + static_cast<size_t>(slot) * ahead->blockSize;
}

// The reader: fills the blocks in ring order while the consumer hashes the ones before. It ends
// after the block that ends the file, fails, or reaches the measured size.
static void readBlocks(void* argument) {
    ReadAhead* ahead = static_cast<ReadAhead*>(argument);
    int64_t offset = 0;
    for (int slot = 0;; slot = (slot + 1) % ahead->blockCount) {
        waitSemaphore(ahead->emptied);
        if (ahead->stopping) return;
        const long got =
            listedFileAccess.read(ahead->file, offset, blockAt(ahead, slot), ahead->blockSize);
        ahead->lengths[slot] = got;
        postSemaphore(ahead->filled);
        if (got != static_cast<long>(ahead->blockSize)) return;
        offset += got;
        if (offset >= ahead->size) return;
    }
}

static void release(ReadAhead* ahead) {
    if (ahead->emptied != nullptr) destroySemaphore(ahead->emptied);
    if (ahead->filled != nullptr) destroySemaphore(ahead->filled);
    delete ahead;
}

ReadAhead* startReadAhead(ListedFile* file, int64_t size, uint8_t* buffer, size_t blockSize,
                          int blockCount) {
    if (blockCount < 2 || blockCount > kMaxReadAheadBlocks) return nullptr;
    ReadAhead* ahead = new (std::nothrow) ReadAhead();
    if (ahead == nullptr) return nullptr;
    ahead->file = file;
    ahead->size = size;
    ahead->buffer = buffer;
    ahead->blockSize = blockSize;
    ahead->blockCount = blockCount;
    ahead->emptied = createSemaphore(blockCount);
    ahead->filled = createSemaphore(0);
    ahead->stopping = false;
    if (ahead->emptied == nullptr || ahead->filled == nullptr) {
        release(ahead);
        return nullptr;
    }
    ahead->reader = startReaderThread(readBlocks, ahead);
    if (ahead->reader == nullptr) {
        release(ahead);
        return nullptr;
    }
    return ahead;
}

long nextBlock(ReadAhead* ahead, const uint8_t** block) {
    if (ahead->holding) {
        postSemaphore(ahead->emptied);
        ahead->holding = false;
    }
    // The reader has stopped after the last block it handed over: nothing more will come.
    if (ahead->ended) return 0;
    waitSemaphore(ahead->filled);
    const int slot = ahead->nextSlot;
    ahead->nextSlot = (slot + 1) % ahead->blockCount;
    ahead->holding = true;
    const long got = ahead->lengths[slot];
    if (got > 0) ahead->handedOut += got;
    ahead->ended = got != static_cast<long>(ahead->blockSize) || ahead->handedOut >= ahead->size;
    *block = blockAt(ahead, slot);
    return got;
}

void stopReadAhead(ReadAhead* ahead) {
    ahead->stopping = true;
    postSemaphore(ahead->emptied);  // wakes the reader if it waits for a block to fill
    joinReaderThread(ahead->reader);
    release(ahead);
}
