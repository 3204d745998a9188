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

private:
    std::string path_;
};

// Changes the working directory for the lifetime of the object.
class dvrWorkingDirectory {
public:
    explicit dvrWorkingDirectory(const std::string& path);
    ~dvrWorkingDirectory();

private:
    std::string previous_;
};
