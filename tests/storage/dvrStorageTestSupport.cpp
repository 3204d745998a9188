#include "dvrStorageTestSupport.h"

#include <sqlite3.h>

#include "dvrDB_sqlite.h"
#include "dvrDBQuery_sql.h"

dvrTestFrame makeTestFrame(std::size_t size, std::uint32_t seconds, std::uint32_t milliseconds, std::uint32_t board,
                           std::uint32_t input, const char* codec) {
    dvrTestFrame frame;
    frame.record.compressedSize = static_cast<std::uint32_t>(size);
    frame.record.width = 352;
    frame.record.height = 288;
    frame.record.keyFrame = 1;
    frame.record.code = dvrFrameRecord::codeOf(codec);
    frame.record.motionBitmap[0] = 0x81;
    frame.record.seconds = seconds;
    frame.record.milliseconds = milliseconds;
    frame.record.boardId = board;
    frame.record.input = input;
    frame.data.resize(size);
    for (std::size_t i = 0; i < size; ++i)
        frame.data[i] = static_cast<std::uint8_t>((i * 7 + seconds + milliseconds) & 0xff);
    return frame;
}

std::vector<dvrIndexRow> readAllRows(const std::string& indexPath) {
    dvrDB_sqlite database(indexPath);
    std::vector<dvrIndexRow> rows;
    database.queryFrames(dvrDBQuery_sql("SELECT * FROM Datum ORDER BY id"), rows);
    return rows;
}

std::string readPointer(const std::string& indexPath) {
    dvrDB_sqlite database(indexPath);
    std::string pointer;
    database.run("SELECT phys_partition, phys_fn, phys_offset FROM Pointer WHERE type LIKE 'record_store'", {},
                 [&](sqlite3_stmt* statement) {
                     const unsigned char* letter = sqlite3_column_text(statement, 0);
                     pointer = std::string(letter ? reinterpret_cast<const char*>(letter) : "") + ":" +
                               std::to_string(sqlite3_column_int64(statement, 1)) + ":" +
                               std::to_string(sqlite3_column_int64(statement, 2));
                 });
    return pointer;
}

bool runSql(const std::string& indexPath, const std::string& sql) {
    dvrDB_sqlite database(indexPath);
    return database.run(sql, {});
}
