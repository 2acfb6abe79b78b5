// The simulated board's state is a directory ($SIM_BOARD_DIR, default ./sim-board) that tests,
// scripts and people change from outside the process. Nothing is cached: every call looks at
// the files afresh, so a test may point the board at another folder between two calls.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// Absolute or relative path of a file under the board's root.
std::string SimBoardPath(const std::string& relative);

// Whole content of a board file; false when it does not exist or cannot be read.
bool SimReadFile(const std::string& relative, std::vector<uint8_t>& content);

// Replaces a board file atomically (temporary file, then rename), creating its folder.
bool SimWriteFile(const std::string& relative, const void* data, size_t size);

// Unsigned number written as decimal or 0x-hex text, blanks around it allowed; false otherwise.
bool SimParseNumber(const std::string& text, uint32_t& value);

// True when fail/<function> exists; code is then what the file holds as a signed 32-bit value
// (0x-hex, decimal or negative decimal), or -1 when the file holds no number.
bool SimFailCode(const char* function, int32_t& code);

// Result of a call that the board rejects because an argument is unusable.
constexpr int32_t kSimBadArgument = static_cast<int32_t>(0x80000002u);
