#include "dvrRecordReader.h"

#include <cctype>

#include "dvrFile.h"
#include "log/dvrLog.h"

dvrRecordReader::dvrRecordReader(std::vector<dvrDrive> drives) : drives_(std::move(drives)) {}

bool dvrRecordReader::read(const dvrIndexRow& row, dvrStoredRecord::Parsed& parsed, std::vector<std::uint8_t>* data,
                           std::string& reason) const {
    const dvrDrive* drive = nullptr;
    for (const dvrDrive& candidate : drives_)
        if (!row.partition.empty() && std::tolower(static_cast<unsigned char>(candidate.letter)) ==
                                          std::tolower(static_cast<unsigned char>(row.partition[0])))
            drive = &candidate;
    if (drive == nullptr) {
        reason = "drive \"" + row.partition + "\" is not in the drive table";
        return false;
    }
    if (row.page < 0 || row.page > 0xffff || row.offset < 0) {
        reason = "the position is out of range";
        return false;
    }
    dvrFile file = dvrFile::forReading(dvrDriveTable::pageFilePath(*drive, static_cast<std::uint32_t>(row.page)));
    if (!file.isOpen()) {
        reason = "the page file cannot be opened";
        return false;
    }
    std::uint8_t prefix[dvrStoredRecord::prefixSize];
    const std::int64_t got = file.read(prefix, sizeof prefix, row.offset);
    if (got < static_cast<std::int64_t>(dvrStoredRecord::headerSize)) {
        reason = "the record lies beyond the end of the page file";
        return false;
    }
    if (!dvrStoredRecord::parse(prefix, static_cast<std::size_t>(got), parsed, reason) ||
        !dvrStoredRecord::matches(parsed, row, reason))
        return false;
    const std::int64_t dataStart = row.offset + parsed.dataOffset;
    if (dataStart + parsed.header.compressedSize > file.size()) {
        reason = "the data is cut short by the end of the page file";
        return false;
    }
    if (data) {
        data->resize(parsed.header.compressedSize);
        if (file.read(data->data(), data->size(), dataStart) != static_cast<std::int64_t>(data->size())) {
            reason = "the data cannot be read";
            return false;
        }
    }
    return true;
}

bool dvrRecordReader::readLogged(const dvrIndexRow& row, std::vector<std::uint8_t>& data) const {
    dvrStoredRecord::Parsed parsed;
    std::string reason;
    if (read(row, parsed, &data, reason))
        return true;
    logWarning("[FS] Skipped the frame of %lld.%03d (board %d input %d) at %s:%lld+%lld: %s.",
               static_cast<long long>(row.time), row.milliseconds, row.device, row.input, row.partition.c_str(),
               static_cast<long long>(row.page), static_cast<long long>(row.offset), reason.c_str());
    return false;
}
