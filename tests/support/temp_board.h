// A simulated board in a fresh temporary directory, pointed to by SIM_BOARD_DIR for the life of
// the object. Files are written the way outside writers do it: a temporary file, then rename.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

class TempBoard {
public:
    TempBoard();
    ~TempBoard();
    TempBoard(const TempBoard&) = delete;
    TempBoard& operator=(const TempBoard&) = delete;

    const std::string& root() const { return root_; }
    // Writes root/relative (creating its folders) atomically.
    void Write(const std::string& relative, const std::string& content) const;
    void WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes) const;
    // The file's whole content; empty when it does not exist.
    std::string Read(const std::string& relative) const;
    std::vector<uint8_t> ReadBytes(const std::string& relative) const;
    bool Exists(const std::string& relative) const;
    void Remove(const std::string& relative) const;
    // Puts key_pad.xml where the customisation lookup finds it.
    void WriteKeyPad(const std::string& xml) const;

private:
    std::string root_;
};
