#include "sumvault_run.h"

#include <cstdio>
#include <cstring>

#include "checksum_list.h"
#include "file_digest.h"
#include "file_open.h"
#include "message_box.h"

static const char16_t kPassedText[] = u"校验成功,可升级！\nCheck Successful!";
static const char16_t kFailedText[] = u"校验失败,请重新解压！\nCheck Failed!";

static const char* listedPath(size_t index) { return checksumList[index].path.c_str(); }

// Digests written in capitals (as PowerShell's Get-FileHash writes them) name the same bytes.
static bool sameDigest(const std::string& listed, const char* computed) {
    if (listed.size() != strlen(computed)) return false;
    for (size_t i = 0; i < listed.size(); ++i) {
        const char c = listed[i] >= 'A' && listed[i] <= 'Z' ? listed[i] - 'A' + 'a' : listed[i];
        if (c != computed[i]) return false;
    }
    return true;
}

// Hashes the listed files in order and stops at the first that fails.
static int verifyEntries() {
    startFileDigests(checksumList.size(), listedPath);
    int code = kPackageIntact;
    for (const ChecksumEntry& entry : checksumList) {
        if (!computeFileDigest(entry.path.c_str())) {
            printf("\n");
            fflush(stdout);
            code = kFileNotHashed;
            break;
        }
        char computed[64];
        memset(computed, 0, sizeof computed);
        for (int i = 0; i < 16; ++i) snprintf(computed + 2 * i, 3, "%02x", lastDigest[i]);
        printf("[%s] [%s] < %s\n", entry.expectedDigest.c_str(), computed, entry.path.c_str());
        showConsolePaced();
        if (!sameDigest(entry.expectedDigest, computed)) {
            code = kListRejectedOrDigestDiffers;
            break;
        }
    }
    stopFileDigests();
    return code;
}

static int verifyPackage() {
    FILE* list = openDenyingWriters("md5.txt");
    if (list == nullptr) return kNoList;
    // The whole list is taken in before any file is hashed, so one bad line anywhere means
    // no file is hashed.
    const bool accepted = readChecksumList(list);
    fclose(list);
    if (!accepted) return kListRejectedOrDigestDiffers;
    return verifyEntries();
}

int runSumvault(const char* invocationName) {
    printf("Hello World!\n\tversion: Quorel 0.01\n");
    fflush(stdout);
    // A copy saved under another name is not trusted to be this program.
    if (invocationName == nullptr || strstr(invocationName, "Sumvault.exe") == nullptr) {
        return kWrongProgramName;
    }
    cachedReadingAnnounced = false;
    const int code = verifyPackage();
    printf("errorcode: %d\n", code);
    fflush(stdout);
    showMessageBox(code == kPackageIntact ? kPassedText : kFailedText, kNoticeCaption);
    return code;
}
