#pragma once

#include <memory>
#include <string>

class dvrMessageCatalogue;

// Looks a user-visible text up in the message catalogue of the current language. Until a
// catalogue is loaded the original text is the translation.
//
// A translation is text, never a format: code that needs a translated printf format takes it
// from dvrCatalogueFormat, which checks it against the original.
class dvrTranslation {
public:
    static std::string translate(const char* text);
    // Installs the catalogue of the current language (nullptr: none). Any thread may translate
    // while the catalogue is replaced.
    static void setCatalogue(std::shared_ptr<const dvrMessageCatalogue> catalogue);
};
