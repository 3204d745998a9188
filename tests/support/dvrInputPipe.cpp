#include "dvrInputPipe.h"

#include <stdexcept>
#include <unistd.h>

dvrInputPipe::dvrInputPipe() {
    if (pipe(ends_) != 0)
        throw std::runtime_error("pipe");
}

dvrInputPipe::~dvrInputPipe() {
    closeWriter();
    close(ends_[0]);
}

void dvrInputPipe::write(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(ends_[1], text.data() + done, text.size() - done);
        if (n <= 0)
            throw std::runtime_error("write");
        done += static_cast<std::size_t>(n);
    }
}

void dvrInputPipe::closeWriter() {
    if (ends_[1] >= 0)
        close(ends_[1]);
    ends_[1] = -1;
}
