#include "read_ahead.h"

#include <new>

#include "aligned_buffer.h"
#include "reader_thread.h"

// Enough to keep a drive's queue full with small files; each read still takes its own stretch of
// the ring, so a large file has only as many in flight as the ring holds.
static const int kReadsInFlight = 32;
// Between the reader and the hash: a start, one block or more and an end per file.
static const size_t kRecords = 512;
// The file whose reads are being submitted, and those whose reads are still in flight.
static const int kOpenFiles = kReadsInFlight + 1;

enum RecordKind { kFileStart, kFileBlock, kFileEnd };

struct Record {
    RecordKind kind;
    bool done;              // the reader is finished with it: the hash may take it
    ListedFileOpen opened;  // start
    int64_t value;          // start: measured size; block: bytes for the hash; end: 0 or -1
    size_t ringAt;          // block: where its bytes are
    size_t ringTaken;       // ring bytes it holds, with any it skipped at the ring's end
    // The reader's own, set before the record is added.
    int file;          // block: slot in the reader's open files
    int64_t expected;  // block: bytes of the measured size that its read covers
};

struct OpenFile {
    bool inUse;
    ListedFile file;
    int64_t size;
    int64_t nextOffset;  // of its next read
    int reading;         // reads in flight
    bool allSubmitted;
    bool failed;
    size_t endRecord;
};

struct ReadAhead {
    size_t count;
    const char* (*pathAt)(size_t index);
    uint8_t* ring;
    size_t ringSize;
    size_t blockSize;
    void (*beforeWaiting)();
    Monitor* monitor;
    ReaderThread* reader;

    // Shared, under the monitor. Records are numbered from the first ever added.
    Record records[kRecords];
    size_t firstRecord;
    size_t recordCount;
    size_t ringHead;  // where the next stretch of the ring starts
    size_t ringUsed;  // held from ringHead backwards
    bool stopping;
    bool readerEnded;
    bool readerWaiting;  // for room, since the oldest record was roomMissedAt
    size_t roomMissedAt;

    // The hash's own.
    bool holding;  // the oldest record is a block being hashed: its bytes stay until the next call

    // The reader's own.
    ListedFolder folder;  // of the last file opened
    OpenFile files[kOpenFiles];
    int submitting;  // slot of the file whose reads are being submitted, or -1
    size_t nextPath;
    bool halted;  // a file failed: the hash stops there, so nothing after it is needed
    AsyncReads* async;
    int inFlight;
    AsyncRead ready[kReadsInFlight];  // reads that ended as they were submitted
    int readyCount;
};

static Record& recordAt(ReadAhead* ahead, size_t number) {
    return ahead->records[number % kRecords];
}

// Under the monitor: whether the hash has taken enough since the reader last found no room to
// go on with: half the records and room for a whole block. Woken for less, the reader would
// follow the hash record by record.
static bool roomFreed(const ReadAhead* ahead) {
    return ahead->firstRecord != ahead->roomMissedAt && ahead->recordCount <= kRecords / 2 &&
           ahead->ringSize - ahead->ringUsed >= ahead->blockSize + kSectorAlignment;
}

// Under the monitor: room for that many records and a stretch of length ring bytes.
static bool takeRoom(ReadAhead* ahead, size_t records, size_t length, Record* record) {
    if (ahead->stopping) return false;
    ahead->roomMissedAt = ahead->firstRecord;
    if (ahead->recordCount + records > kRecords) return false;
    if (length == 0) return true;
    if (ahead->ringUsed == 0) ahead->ringHead = 0;
    const size_t skip =
        ahead->ringHead + length > ahead->ringSize ? ahead->ringSize - ahead->ringHead : 0;
    if (ahead->ringUsed + skip + length > ahead->ringSize) return false;
    record->ringAt = skip > 0 ? 0 : ahead->ringHead;
    record->ringTaken = skip + length;
    ahead->ringUsed += record->ringTaken;
    ahead->ringHead = (record->ringAt + length) % ahead->ringSize;
    return true;
}

// Under the monitor.
static size_t addRecord(ReadAhead* ahead, const Record& record) {
    const size_t number = ahead->firstRecord + ahead->recordCount++;
    recordAt(ahead, number) = record;
    return number;
}

static size_t roundUpToSector(int64_t bytes) {
    return static_cast<size_t>((bytes + kSectorAlignment - 1) / kSectorAlignment *
                               kSectorAlignment);
}

// Opens the next listed file and adds its start. A file that cannot be opened, measured or is
// empty halts the reader: the hash fails there.
static bool openNext(ReadAhead* ahead) {
    int slot = 0;
    while (slot < kOpenFiles && ahead->files[slot].inUse) ++slot;
    if (slot == kOpenFiles) return false;
    enterMonitor(ahead->monitor);
    Record start = {};
    const bool room = takeRoom(ahead, 1, 0, &start);
    leaveMonitor(ahead->monitor);
    if (!room) return false;

    OpenFile& file = ahead->files[slot];
    start.kind = kFileStart;
    start.done = true;
    start.opened =
        listedFileAccess.open(ahead->pathAt(ahead->nextPath++), &ahead->folder, &file.file);
    start.value = start.opened == kOpenFailed ? -1 : listedFileAccess.measure(&file.file);
    if (start.value > 0) {
        file = OpenFile{true, file.file, start.value, 0, 0, false, false, 0};
        ahead->submitting = slot;
    } else {
        if (start.opened != kOpenFailed) listedFileAccess.close(&file.file);
        ahead->halted = true;
    }
    // The hash is not woken for a start alone: it would only wait again for the file's first
    // block. It learns of the start with that block, or when the reader ends after a failure.
    enterMonitor(ahead->monitor);
    addRecord(ahead, start);
    leaveMonitor(ahead->monitor);
    return true;
}

// Submits the next read of the file being read, or opens the next file. False when nothing more
// can be started now: no room, nothing left, or the reader halted or stops.
static bool submitNext(ReadAhead* ahead) {
    if (ahead->halted) return false;
    if (ahead->submitting < 0) return ahead->nextPath < ahead->count && openNext(ahead);

    OpenFile& file = ahead->files[ahead->submitting];
    const int64_t offset = file.nextOffset;
    const int64_t remaining = file.size - offset;
    // The last read asks for more than is left, so that a file that goes on shows it.
    const bool last = remaining <= static_cast<int64_t>(ahead->blockSize);
    const size_t length = last ? roundUpToSector(remaining + 1) : ahead->blockSize;
    Record block = {};
    block.kind = kFileBlock;
    block.file = ahead->submitting;
    block.expected = last ? remaining : static_cast<int64_t>(ahead->blockSize);
    Record end = {};
    end.kind = kFileEnd;

    enterMonitor(ahead->monitor);
    const bool room = takeRoom(ahead, last ? 2 : 1, length, &block);
    size_t number = 0;
    if (room) {
        number = addRecord(ahead, block);
        if (last) file.endRecord = addRecord(ahead, end);
    }
    leaveMonitor(ahead->monitor);
    if (!room) return false;

    file.nextOffset += static_cast<int64_t>(length);
    ++file.reading;
    if (last) {
        file.allSubmitted = true;
        ahead->submitting = -1;
    }
    uint8_t* buffer = ahead->ring + block.ringAt;
    if (ahead->async != nullptr &&
        submitAsyncRead(ahead->async, &file.file, offset, buffer, length, number)) {
        ++ahead->inFlight;
    } else {
        ahead->ready[ahead->readyCount++] =
            AsyncRead{number, listedFileAccess.read(&file.file, offset, buffer, length)};
    }
    return true;
}

// Takes the reads that have ended, closes the files read to their end, and hands both over.
static void takeEndedReads(ReadAhead* ahead) {
    AsyncRead ended[kReadsInFlight];
    int count = ahead->readyCount;
    if (count > 0) {
        for (int i = 0; i < count; ++i) ended[i] = ahead->ready[i];
        ahead->readyCount = 0;
    } else {
        count = reapAsyncReads(ahead->async, ended, kReadsInFlight);
        if (count < 0) {
            // The reads' outcome is lost: wait for them all and give up on what they were for.
            stopAsyncReads(ahead->async);
            ahead->async = nullptr;
            ahead->inFlight = 0;
            ahead->halted = true;
            return;
        }
        ahead->inFlight -= count;
    }

    int64_t values[kReadsInFlight];
    size_t ends[kReadsInFlight];
    int64_t endValues[kReadsInFlight];
    int endCount = 0;
    for (int i = 0; i < count; ++i) {
        const Record& block = recordAt(ahead, ended[i].tag);
        OpenFile& file = ahead->files[block.file];
        const int64_t got = ended[i].result;
        // Fewer bytes than measured: the file ended early or the read failed. More: it goes on.
        values[i] = got < block.expected ? got : block.expected;
        if (got != block.expected) file.failed = ahead->halted = true;
        if (--file.reading > 0 || !file.allSubmitted) continue;
        // Read to its end: it must still have the size it had when it was opened.
        if (!file.failed && listedFileAccess.measure(&file.file) != file.size) {
            file.failed = ahead->halted = true;
        }
        listedFileAccess.close(&file.file);
        file.inUse = false;
        ends[endCount] = file.endRecord;
        endValues[endCount++] = file.failed ? -1 : 0;
    }

    enterMonitor(ahead->monitor);
    for (int i = 0; i < count; ++i) {
        Record& block = recordAt(ahead, ended[i].tag);
        block.value = values[i];
        block.done = true;
    }
    for (int i = 0; i < endCount; ++i) {
        Record& end = recordAt(ahead, ends[i]);
        end.value = endValues[i];
        end.done = true;
    }
    notifyMonitor(ahead->monitor);
    leaveMonitor(ahead->monitor);
}

static void readFiles(void* argument) {
    ReadAhead* ahead = static_cast<ReadAhead*>(argument);
    if (listedFileAccess.startAsync != nullptr) {
        ahead->async = listedFileAccess.startAsync(kReadsInFlight);
    }
    for (;;) {
        const int depth = ahead->async != nullptr ? kReadsInFlight : 1;
        while (ahead->inFlight + ahead->readyCount < depth && submitNext(ahead)) {
        }
        if (ahead->inFlight + ahead->readyCount > 0) {
            takeEndedReads(ahead);
            continue;
        }
        enterMonitor(ahead->monitor);
        const bool finished = ahead->stopping || ahead->halted ||
                              (ahead->submitting < 0 && ahead->nextPath == ahead->count);
        // Otherwise the ring or the records are full of what the hash has still to take.
        ahead->readerWaiting = !finished;
        while (ahead->readerWaiting && !ahead->stopping && !roomFreed(ahead)) {
            waitMonitor(ahead->monitor);
        }
        ahead->readerWaiting = false;
        leaveMonitor(ahead->monitor);
        if (finished) break;
    }
    for (OpenFile& file : ahead->files) {
        if (file.inUse) listedFileAccess.close(&file.file);
    }
    closeListedFolder(&ahead->folder);
    if (ahead->async != nullptr) stopAsyncReads(ahead->async);
    enterMonitor(ahead->monitor);
    ahead->readerEnded = true;
    notifyMonitor(ahead->monitor);
    leaveMonitor(ahead->monitor);
}

ReadAhead* startReadAhead(size_t count, const char* (*pathAt)(size_t index), uint8_t* ring,
                          size_t ringSize, size_t blockSize, void (*beforeWaiting)()) {
    if (blockSize == 0 || ringSize < blockSize + kSectorAlignment) return nullptr;
    ReadAhead* ahead = new (std::nothrow) ReadAhead();
    if (ahead == nullptr) return nullptr;
    ahead->count = count;
    ahead->pathAt = pathAt;
    ahead->ring = ring;
    ahead->ringSize = ringSize;
    ahead->blockSize = blockSize;
    ahead->beforeWaiting = beforeWaiting;
    ahead->submitting = -1;
    ahead->folder = kNoListedFolder;
    ahead->monitor = createMonitor();
    if (ahead->monitor != nullptr) ahead->reader = startReaderThread(readFiles, ahead);
    if (ahead->reader == nullptr) {
        if (ahead->monitor != nullptr) destroyMonitor(ahead->monitor);
        delete ahead;
        return nullptr;
    }
    return ahead;
}

// Under the monitor: the oldest record once the reader is finished with it; nullptr when the
// reader has ended without it.
static Record* oldestRecord(ReadAhead* ahead) {
    bool announced = false;
    while (ahead->recordCount == 0 || !recordAt(ahead, ahead->firstRecord).done) {
        if (ahead->readerEnded) return nullptr;
        if (!announced && ahead->beforeWaiting != nullptr) {
            // Outside the monitor: whatever it does, the reader need not wait for it.
            leaveMonitor(ahead->monitor);
            ahead->beforeWaiting();
            enterMonitor(ahead->monitor);
            announced = true;
            continue;
        }
        waitMonitor(ahead->monitor);
    }
    return &recordAt(ahead, ahead->firstRecord);
}

// Under the monitor: gives the oldest record's room back to the reader.
static void dropOldest(ReadAhead* ahead) {
    ahead->ringUsed -= recordAt(ahead, ahead->firstRecord).ringTaken;
    ++ahead->firstRecord;
    --ahead->recordCount;
    if (ahead->readerWaiting && roomFreed(ahead)) notifyMonitor(ahead->monitor);
}

static void releaseHeldBlock(ReadAhead* ahead) {
    if (!ahead->holding) return;
    dropOldest(ahead);
    ahead->holding = false;
}

ListedFileOpen nextFile(ReadAhead* ahead, int64_t* size) {
    ListedFileOpen opened = kOpenFailed;
    *size = -1;
    enterMonitor(ahead->monitor);
    releaseHeldBlock(ahead);
    for (Record* record; (record = oldestRecord(ahead)) != nullptr;) {
        const bool start = record->kind == kFileStart;
        if (start) {
            opened = record->opened;
            *size = record->value;
        }
        dropOldest(ahead);
        if (start) break;
    }
    leaveMonitor(ahead->monitor);
    return opened;
}

long nextBlock(ReadAhead* ahead, const uint8_t** block) {
    long got = -1;
    enterMonitor(ahead->monitor);
    releaseHeldBlock(ahead);
    Record* record = oldestRecord(ahead);
    if (record != nullptr && record->kind != kFileStart) {
        got = static_cast<long>(record->value);
        if (record->kind == kFileBlock) {
            *block = ahead->ring + record->ringAt;
            ahead->holding = true;
        } else {
            dropOldest(ahead);
        }
    }
    leaveMonitor(ahead->monitor);
    return got;
}

void stopReadAhead(ReadAhead* ahead) {
    enterMonitor(ahead->monitor);
    ahead->stopping = true;
    notifyMonitor(ahead->monitor);
    leaveMonitor(ahead->monitor);
    joinReaderThread(ahead->reader);
    destroyMonitor(ahead->monitor);
    delete ahead;
}
