#include "temp_board.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TempBoard::TempBoard() {
    std::string pattern = (fs::temp_directory_path() / "sim-board-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    root_ = made ? made : "";
    setenv("SIM_BOARD_DIR", root_.c_str(), 1);
}

TempBoard::~TempBoard() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    unsetenv("SIM_BOARD_DIR");
}

void TempBoard::Write(const std::string& relative, const std::string& content) const {
    WriteBytes(relative, std::vector<uint8_t>(content.begin(), content.end()));
}

void TempBoard::WriteBytes(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    fs::path target = fs::path(root_) / relative;
    fs::create_directories(target.parent_path());
    fs::path temporary = target;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    fs::rename(temporary, target);
}

std::string TempBoard::Read(const std::string& relative) const {
    std::vector<uint8_t> bytes = ReadBytes(relative);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> TempBoard::ReadBytes(const std::string& relative) const {
    std::ifstream in(fs::path(root_) / relative, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool TempBoard::Exists(const std::string& relative) const {
    return fs::exists(fs::path(root_) / relative);
}

void TempBoard::Remove(const std::string& relative) const {
    std::error_code ignored;
    fs::remove(fs::path(root_) / relative, ignored);
}

void TempBoard::WriteKeyPad(const std::string& xml) const { Write("cfg/atv/etc/key_pad.xml", xml); }
