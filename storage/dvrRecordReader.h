#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dvrDriveTable.h"
#include "dvrIndexRow.h"
#include "dvrStoredRecord.h"

// Reads the record an index row points at and makes sure it is the frame the row describes, so
// that an overwritten or half-written record is skipped instead of decoded.
class dvrRecordReader {
public:
    explicit dvrRecordReader(std::vector<dvrDrive> drives);

    // The compressed bytes of the row's frame (when data is given) and its parsed prefix. False,
    // with the reason, when the page file or record cannot be read or does not match the row.
    bool read(const dvrIndexRow& row, dvrStoredRecord::Parsed& parsed, std::vector<std::uint8_t>* data,
              std::string& reason) const;
    // read() that logs a mismatch as "[FS] Skipped ..." once per call.
    bool readLogged(const dvrIndexRow& row, std::vector<std::uint8_t>& data) const;

private:
    std::vector<dvrDrive> drives_;
};
