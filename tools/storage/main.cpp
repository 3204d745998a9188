// mirdal-storage: checks a recording store.
//   mirdal-storage check [settings directory]
// Exit status: 0 when every index row matches its record, 1 when some do not, 2 when the store
// cannot be read or the command is not understood.
#include <iostream>
#include <string>
#include <unistd.h>

#include "dvrStorageCheck.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || std::string(argv[1]) != "check") {
        std::cerr << "usage: mirdal-storage check [settings directory]\n";
        return 2;
    }
    std::string directory = ".";
    if (argc == 3)
        directory = argv[2];
    dvrStorageCheck::Result result = dvrStorageCheck::run(directory, std::cout);
    if (!result.opened)
        return 2;
    return result.mismatches == 0 ? 0 : 1;
}
