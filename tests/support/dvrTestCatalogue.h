#pragma once

#include <map>
#include <string>

#include "language/dvrMessageCatalogue.h"

// A message catalogue made of a few pairs, installed for the lifetime of the object.
class dvrTestCatalogue : public dvrMessageCatalogue {
public:
    explicit dvrTestCatalogue(std::map<std::string, std::string> translations);
    ~dvrTestCatalogue() override;

    bool lookUp(std::string_view original, std::string& translation) const override;

private:
    std::map<std::string, std::string, std::less<>> translations_;
};
