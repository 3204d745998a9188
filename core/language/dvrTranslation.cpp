#include "language/dvrTranslation.h"

#include <mutex>

#include "language/dvrMessageCatalogue.h"

namespace {
std::mutex catalogueLock;
std::shared_ptr<const dvrMessageCatalogue> currentCatalogue;

std::shared_ptr<const dvrMessageCatalogue> catalogue() {
    std::lock_guard<std::mutex> guard(catalogueLock);
    return currentCatalogue;
}
} // namespace

std::string dvrTranslation::translate(const char* text) {
    if (!text)
        return std::string();
    std::string translation;
    if (auto current = catalogue(); current && current->lookUp(text, translation))
        return translation;
    return std::string(text);
}

void dvrTranslation::setCatalogue(std::shared_ptr<const dvrMessageCatalogue> catalogue) {
    std::lock_guard<std::mutex> guard(catalogueLock);
    currentCatalogue = std::move(catalogue);
}
