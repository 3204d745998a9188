#pragma once

#include <string>

// A pipe whose read end plays a recorder's standard input.
class dvrInputPipe {
public:
    dvrInputPipe();
    ~dvrInputPipe();
    dvrInputPipe(const dvrInputPipe&) = delete;
    dvrInputPipe& operator=(const dvrInputPipe&) = delete;

    int reader() const { return ends_[0]; }
    int writer() const { return ends_[1]; }
    // Writes all of the text; throws when the pipe is closed.
    void write(const std::string& text);
    void closeWriter();

private:
    int ends_[2] = {-1, -1};
};
