#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "users/dvrPasswordScrambler.h"

namespace {

TEST(dvrPasswordScramblerTest, ScramblesEachCharacterAsSignedByte) {
    struct Case {
        std::string password;
        std::string scrambled;
    };
    const Case cases[] = {
        {"", "]"},
        {"a", "]5d"},
        {"secret", "]4f595f4e5948"},
        {"<", "]00"}, // the mask itself gives zero, still two digits
        {" ", "]1c"},
        {"\x7f", "]43"},
        {"]x", "]6144"},       // typed text is scrambled even when it looks scrambled
        {"\x80", "]ffffffbc"}, // negative bytes print as eight digits
        {"\xff", "]ffffffc3"},
        {"\xc3\xa4", "]ffffffffffffff98"}, // UTF-8 "a umlaut"
        {"a\x80z", "]5dffffffbc46"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> scrambled = dvrPasswordScrambler::scramble(c.password);
        ASSERT_TRUE(scrambled.has_value()) << c.password;
        EXPECT_EQ(*scrambled, c.scrambled) << c.password;
    }
}

TEST(dvrPasswordScramblerTest, RefusesPasswordsWhoseScrambledFormWouldNotFit) {
    struct Case {
        std::string password;
        bool fits;
    };
    const Case cases[] = {
        {std::string(255, 'a'), true},                                                   // 1 + 510 characters
        {std::string(256, 'a'), false},          {std::string(63, '\x80'), true},        // 1 + 504
        {std::string(64, '\x80'), false},        {std::string(251, 'a') + "\x80", true}, // 1 + 502 + 8
        {std::string(252, 'a') + "\x80", false},                                         // 1 + 504 + 8
    };
    for (const Case& c : cases) {
        std::optional<std::string> scrambled = dvrPasswordScrambler::scramble(c.password);
        EXPECT_EQ(scrambled.has_value(), c.fits) << c.password.size();
        if (scrambled) {
            EXPECT_LE(scrambled->size(), dvrPasswordScrambler::maximumScrambledLength);
        }
    }
}

TEST(dvrPasswordScramblerTest, StoredFormKeepsScrambledTextAndScramblesTheRest) {
    EXPECT_EQ(dvrPasswordScrambler::storedForm("]5d"), std::optional<std::string>("]5d"));
    EXPECT_EQ(dvrPasswordScrambler::storedForm("]"), std::optional<std::string>("]"));
    EXPECT_EQ(dvrPasswordScrambler::storedForm("a"), std::optional<std::string>("]5d"));
    EXPECT_EQ(dvrPasswordScrambler::storedForm(""), std::optional<std::string>("]"));
    std::string longest = "]" + std::string(510, '0');
    EXPECT_EQ(dvrPasswordScrambler::storedForm(longest), std::optional<std::string>(longest));
    EXPECT_FALSE(dvrPasswordScrambler::storedForm(longest + "0").has_value());

    EXPECT_TRUE(dvrPasswordScrambler::isScrambled("]"));
    EXPECT_FALSE(dvrPasswordScrambler::isScrambled(""));
    EXPECT_FALSE(dvrPasswordScrambler::isScrambled("x]"));
}

} // namespace
