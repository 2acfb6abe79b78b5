// The one way keypad-tool writes a file, so that a power cut or a failed write never leaves a
// layout half written, and writing never turns a link into a copy or changes who may read it:
// - a symbolic link is followed to its target, which gets the text; the link stays a link;
// - the text goes to a temporary file in the target's folder, which is synced, given the
//   target's mode (and owner, where allowed) and renamed over it; then the folder is synced;
// - a target that is read-only to the caller is refused, not replaced;
// - where the folder is read-only but the target writable, the target is rewritten in place;
// - a target that is not a regular file (a pipe, a terminal) is written straight through, and so
//   is one of the process's own descriptors (/dev/stdout, /dev/fd/N), at its position, as the
//   shell writes it;
// - Ctrl-C, SIGTERM or SIGHUP during the write take effect once it is done, so no temporary
//   file is left behind.
#pragma once

#include <stddef.h>

#include <string>

// 0, or -1 after one line on standard error saying why (the target is then as it was, but for
// an in-place rewrite that failed part way).
int WriteOutputFile(const char* path, const char* data, size_t size);
inline int WriteOutputFile(const char* path, const std::string& text) {
    return WriteOutputFile(path, text.data(), text.size());
}

// 0 when output (nullptr: none) replaces neither input (the same file, through links too);
// otherwise -1 after saying so on standard error: a picture or a layout written over the recording
// or the layout it came from loses that input. what names the output ("the picture").
int RefuseOutputOverInput(const char* output, const char* what, const char* input,
                          const char* other = nullptr);
