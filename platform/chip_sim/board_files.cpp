#include "board_files.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>

static std::string BoardRoot() {
    const char* root = getenv("SIM_BOARD_DIR");
    return (root && *root) ? root : "./sim-board";
}

std::string SimBoardPath(const std::string& relative) { return BoardRoot() + "/" + relative; }

bool SimReadFile(const std::string& relative, std::vector<uint8_t>& content) {
    content.clear();
    int fd = open(SimBoardPath(relative).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    uint8_t chunk[512];
    bool ok = true;
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        content.insert(content.end(), chunk, chunk + got);
    }
    close(fd);
    return ok;
}

// Creates every folder on the way to the file; existing ones are fine.
static void MakeParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0755);
    }
}

bool SimWriteFile(const std::string& relative, const void* data, size_t size) {
    std::string target = SimBoardPath(relative);
    MakeParents(target);
    std::string temporary = target + ".tmp." + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t put = write(fd, bytes + done, size - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            close(fd);
            unlink(temporary.c_str());
            return false;
        }
        done += static_cast<size_t>(put);
    }
    if (close(fd) != 0 || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

static std::string Trimmed(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isspace(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && isspace(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

// Parses the whole text as decimal or 0x-hex; negative allowed when signedOk.
static bool ParseWhole(const std::string& raw, bool signedOk, int64_t& value) {
    std::string text = Trimmed(raw);
    bool negative = false;
    size_t at = 0;
    if (signedOk && at < text.size() && text[at] == '-') {
        negative = true;
        ++at;
    }
    int base = 10;
    if (text.size() - at > 2 && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at >= text.size()) {
        return false;
    }
    uint64_t result = 0;
    for (; at < text.size(); ++at) {
        int c = tolower(static_cast<unsigned char>(text[at]));
        int digit = isdigit(c) ? c - '0' : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (digit < 0) {
            return false;
        }
        result = result * base + static_cast<uint64_t>(digit);
        if (result > 0xFFFFFFFFu) {
            return false;
        }
    }
    value = negative ? -static_cast<int64_t>(result) : static_cast<int64_t>(result);
    return true;
}

bool SimParseNumber(const std::string& text, uint32_t& value) {
    int64_t parsed = 0;
    if (!ParseWhole(text, false, parsed)) {
        return false;
    }
    value = static_cast<uint32_t>(parsed);
    return true;
}

bool SimFailCode(const char* function, int32_t& code) {
    std::vector<uint8_t> content;
    if (!SimReadFile(std::string("fail/") + function, content)) {
        return false;
    }
    int64_t parsed = 0;
    if (!ParseWhole(std::string(content.begin(), content.end()), true, parsed)) {
        code = -1;
        return true;
    }
    // The file holds the code's 32 bits: 0x80470001 and -2142830591 are the same code.
    code = static_cast<int32_t>(static_cast<uint32_t>(parsed));
    return true;
}
