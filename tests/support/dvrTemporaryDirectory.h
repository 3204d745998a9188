#pragma once

#include <string>

// A fresh directory under the system's temporary directory, removed with everything in it.
class dvrTemporaryDirectory {
public:
    dvrTemporaryDirectory();
    ~dvrTemporaryDirectory();
    dvrTemporaryDirectory(const dvrTemporaryDirectory&) = delete;
    dvrTemporaryDirectory& operator=(const dvrTemporaryDirectory&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& contents) const;
    // The whole file, "" when it cannot be read.
    std::string read(const std::string& name) const;

private:
    std::string path_;
};

// The whole file at path, "" when it cannot be read.
std::string readFile(const std::string& path);

// Changes the working directory for the lifetime of the object.
class dvrWorkingDirectory {
public:
    explicit dvrWorkingDirectory(const std::string& path);
    ~dvrWorkingDirectory();

private:
    std::string previous_;
};
