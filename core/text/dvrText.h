#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Locale-independent text helpers. Settings lines and scripts must read and write numbers the
// same way whatever the process locale is, so nothing here goes through the C locale.
namespace dvrText {

// ASCII case-insensitive comparison, as used for command words, keys and scope words.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// ASCII lower case, the form under which case-insensitive names are kept in tables.
std::string lowerCase(std::string_view text);
// 0-15 for a hexadecimal digit of either case, -1 for anything else.
int hexDigitValue(char c);

// Cuts text to at most maxBytes bytes without splitting a UTF-8 sequence.
std::string cut(std::string_view text, std::size_t maxBytes);

// Decimal conversion: optional blanks, optional sign, digits up to the first non-digit; 0 when
// there are none. Out-of-range values are clamped to the int range.
int toInt(std::string_view text);

// Real conversion of the longest numeric prefix (after optional blanks); 0 when there is none
// or when the number is not finite.
double toReal(std::string_view text);

// Fixed-point form with the given number of decimals, like "%.*f" in the C locale.
std::string fixed(double value, int decimals);

// Replaces line breaks (and other control characters except tab) with spaces, so a value can
// never turn into a second command line when it is written out.
std::string singleLine(std::string_view text);

} // namespace dvrText
