#include "dvrTemporaryDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

dvrTemporaryDirectory::dvrTemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mirdal-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    path_ = pattern;
}

dvrTemporaryDirectory::~dvrTemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void dvrTemporaryDirectory::write(const std::string& name, const std::string& contents) const {
    std::ofstream out(file(name), std::ios::binary);
    out << contents;
}

std::string dvrTemporaryDirectory::read(const std::string& name) const { return readFile(file(name)); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

dvrWorkingDirectory::dvrWorkingDirectory(const std::string& path)
    : previous_(std::filesystem::current_path().string()) {
    std::filesystem::current_path(path);
}

dvrWorkingDirectory::~dvrWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
}
