#pragma once

#include <string>

class dvrDB_sqlite;

// The storage steps of the program's start-up and shut-down: the index database connection
// kept for the whole run, and the recording file system of "mirdal.drv".
class dvrStorageStartUp {
public:
    // Finds the index of the store (drive d's recording directory), checks it (a damaged one is
    // moved aside and made anew, when a store is described) and opens the process-wide
    // connection. False when there is none.
    static bool startDatabase(const std::string& settingsDirectory);
    // Opens the recording file system and makes it the frame sink. False in passive mode.
    static bool startFileSystem(const std::string& settingsDirectory);
    // Stores every queued frame, commits every queued row, ends the storage threads.
    static void stopFileSystem();
    static void stopDatabase();

    // The connection opened at start-up; null before and after.
    static dvrDB_sqlite* database();
};
