#include "language/dvrTranslation.h"

std::string dvrTranslation::translate(const char* text) { return text ? std::string(text) : std::string(); }
