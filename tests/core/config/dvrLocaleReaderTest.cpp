#include <gtest/gtest.h>

#include <string>

#include "config/dvrLocaleReader.h"
#include "dvrTemporaryDirectory.h"

namespace {

std::string filler(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += "set global global customer string filler line " + std::to_string(i) + "\n";
    return text;
}

TEST(dvrLocaleReaderTest, TheLastLocaleLineOfTheSecondHalfWins) {
    const struct {
        const char* what;
        std::string text;
        std::string name;
    } cases[] = {
        {"written by the program", filler(20) + "# Locale setting\nset locale fi_FI a b c\n", "fi_FI"},
        {"the last of several", filler(20) + "set locale de_DE a b c\nset locale sv_SE a b c\n", "sv_SE"},
        {"later lines do not reset it", filler(20) + "set locale de_DE a b c\n" + filler(2), "de_DE"},
        {"only the second half is read", "set locale de_DE a b c\n" + filler(20), ""},
        {"first-half line is overridden",
         "set locale de_DE a b c\n" + filler(20) + "set locale default a b c\n", "default"},
        {"line ends are not part of the name", filler(20) + "set locale pt_BR a b c\r\n", "pt_BR"},
        {"without a final newline", filler(20) + "set locale it_IT", "it_IT"},
        {"a long line does not hide the next",
         filler(20) + std::string(1000, 'x') + "\nset locale nl_NL a b c\n", "nl_NL"},
        {"other scope words are not locale lines", filler(20) + "set global locale x\n", ""},
        {"an empty file", "", ""},
    };
    dvrTemporaryDirectory directory;
    for (const auto& c : cases) {
        directory.write("settings.mrd", c.text);
        EXPECT_EQ(dvrLocaleReader::languageName(directory.file("settings.mrd")), c.name) << c.what;
    }
    EXPECT_EQ(dvrLocaleReader::languageName(directory.file("missing.mrd")), "");
    EXPECT_EQ(dvrLocaleReader::languageName(directory.path()), "");
}

} // namespace
