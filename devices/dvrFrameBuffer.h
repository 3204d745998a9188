#pragma once

#include <cstddef>
#include <cstdint>

// Where a board puts one picture: a camera's capture buffer with its size and layout. Boards
// never write more than size bytes.
struct dvrFrameBuffer {
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
    int width = 0;
    int height = 0;
    int format = 0;

    bool isEmpty() const { return data == nullptr || size == 0; }
};
