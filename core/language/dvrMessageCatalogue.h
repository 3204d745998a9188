#pragma once

#include <string>
#include <string_view>

// A loaded message catalogue of one language. The language support implements it with the
// catalogue files; until then no catalogue is installed and every text stays English.
class dvrMessageCatalogue {
public:
    virtual ~dvrMessageCatalogue() = default;
    // Stores the translation of original in translation and returns true when there is one.
    // Called by the log while it writes a line, so it must not log itself.
    virtual bool lookUp(std::string_view original, std::string& translation) const = 0;
};
