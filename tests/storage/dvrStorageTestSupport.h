#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/dvrFrameRecord.h"
#include "dvrIndexRow.h"

// A recorded frame as a capture thread hands it over: its header and data bytes that say which
// frame they are.
struct dvrTestFrame {
    dvrFrameRecord record;
    std::vector<std::uint8_t> data;
};

dvrTestFrame makeTestFrame(std::size_t size, std::uint32_t seconds, std::uint32_t milliseconds = 0,
                           std::uint32_t board = 1, std::uint32_t input = 0, const char* codec = "MJPG");

// Every Datum row of an index file, in key order.
std::vector<dvrIndexRow> readAllRows(const std::string& indexPath);
// The record_store pointer (letter, page, offset) as text "d:0:1234", "" when there is none.
std::string readPointer(const std::string& indexPath);
// Runs one statement on the file (test set-up), false on failure.
bool runSql(const std::string& indexPath, const std::string& sql);
