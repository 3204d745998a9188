#include "dvrTestCatalogue.h"

#include <memory>

#include "language/dvrTranslation.h"

dvrTestCatalogue::dvrTestCatalogue(std::map<std::string, std::string> translations)
    : translations_(translations.begin(), translations.end()) {
    // The catalogue is owned by the test; the shared pointer only borrows it.
    dvrTranslation::setCatalogue(
        std::shared_ptr<const dvrMessageCatalogue>(this, [](const dvrMessageCatalogue*) {}));
}

dvrTestCatalogue::~dvrTestCatalogue() {
    dvrTranslation::setCatalogue(nullptr);
}

bool dvrTestCatalogue::lookUp(std::string_view original, std::string& translation) const {
    auto found = translations_.find(original);
    if (found == translations_.end())
        return false;
    translation = found->second;
    return true;
}
