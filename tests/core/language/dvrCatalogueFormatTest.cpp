#include <gtest/gtest.h>

#include <string>

#include "dvrCapturedLog.h"
#include "dvrTestCatalogue.h"
#include "language/dvrCatalogueFormat.h"
#include "log/dvrLog.h"

namespace {

TEST(dvrCatalogueFormatTest, ATranslationMustTakeTheSameArguments) {
    const struct {
        const char* original;
        const char* translation;
        bool accepted;
    } cases[] = {
        {"Cannot save %s!", "Kann %s nicht sichern!", true},
        {"%5.2f fps", "%.1f B/s", true}, // flags, width and precision may differ
        {"%-10s|%d", "%10s|%i", true},
        {"%d%% done", "%d %% fertig", true},
        {"%c", "%d", true}, // both take an int
        {"no conversions", "keine", true},
        {"%d cameras", "%s Kameras", false},
        {"%d of %d", "%d", false},
        {"%s", "%s %s", false},
        {"%s", "%n%s", false},
        {"%d", "%1$d", false},
        {"%zu bytes", "%u Bytes", false},
        {"%ld", "%lld", false},
        {"%s", "%ls", false},
        {"%*d", "%d", false},
        {"%s", "%s %", false},   // incomplete conversion
        {"%s", "%s %y", false},  // unknown conversion
        {"100%", "100%", false}, // an original that is no valid format is never replaced
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrCatalogueFormat::sameConversions(c.original, c.translation), c.accepted)
            << c.original << " -> " << c.translation;
}

TEST(dvrCatalogueFormatTest, LookUpUsesGoodTranslationsAndFallsBackOnceReported) {
    dvrCapturedLog log;
    dvrTestCatalogue catalogue({
        {"[TEST] saved %s\n", "[TEST] %s gespeichert\n"},
        {"[TEST] %d cameras\n", "[TEST] %s Kameras\n"},
    });
    logMessage(dvrCatalogueFormat::lookUp("[TEST] saved %s\n"), "a.mrd");
    EXPECT_EQ(log.messages(), std::vector<std::string>{"[TEST] a.mrd gespeichert\n"});
    EXPECT_STREQ(dvrCatalogueFormat::lookUp("[TEST] untranslated %d"), "[TEST] untranslated %d");

    // The bad translation would read the number as a string; the original is used instead.
    log.clear();
    logMessage(dvrCatalogueFormat::lookUp("[TEST] %d cameras\n"), 4);
    logMessage(dvrCatalogueFormat::lookUp("[TEST] %d cameras\n"), 5);
    std::vector<std::string> messages = log.messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("[LANG]"), std::string::npos);
    EXPECT_EQ(messages[1], "[TEST] 4 cameras\n");
    EXPECT_EQ(messages[2], "[TEST] 5 cameras\n");
}

TEST(dvrCatalogueFormatTest, ComposeHasNoLengthLimit) {
    std::string value(10000, 'v');
    EXPECT_EQ(dvrCatalogueFormat::compose("<%s>", value.c_str()), "<" + value + ">");
}

} // namespace
