#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <locale>
#include <string>
#include <vector>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "object/dvrEvents.h"
#include "object/dvrObserver.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingLines.h"
#include "settings/dvrSettingSet.h"

namespace {

class CountingObserver : public dvrObserver {
public:
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        if (events & dvrEvent::settingChanged)
            ++changes;
        dvrObserver::onNotify(notifier, events);
    }

    int changes = 0;
};

std::string joined(const dvrCommand& command) {
    std::string text = command.word();
    for (int i = 0; i < command.argumentCount(); ++i)
        text.append(" ").append(command.argument(static_cast<std::size_t>(i)));
    return text;
}

// The global set has no real-valued entry of its own; tests add this one to see "float" lines
// written back.
void addRealEntry(dvrSettingSet& settings) {
    settings.addSetting("gain", "Gain", dvrSettingKind::slider, dvrSettingFlag::savedAsReal);
}

class dvrSettingLinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        console_ = dvrConsole::create();
        settings_ = dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
    }

    void TearDown() override {
        for (const char* scope : {"board", "camera", "user"})
            dvrSettingLines::setScopeHandler(scope, nullptr);
        for (const char* key : {"com1", "com2"})
            dvrSettingLines::setGlobalReaction(key, nullptr);
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
    }

    int run(const std::string& line) { return console_->run(line); }

    std::string written() const {
        std::string out;
        settings_->writeSettings(out);
        return out;
    }

    dvrConsole* console_ = nullptr;
    dvrSettingSet* settings_ = nullptr;
};

struct StoredLine {
    const char* line;
    const char* key;
    int expectedInt;
    const char* expectedText;
    float expectedReal;
};

void expectStored(dvrSettingSet& settings, const StoredLine& c) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(settings.getInt(c.key), c.expectedInt);
    EXPECT_EQ(settings.getText(c.key), c.expectedText);
    EXPECT_EQ(settings.getReal(c.key), c.expectedReal);
}

TEST_F(dvrSettingLinesTest, globalLinesStoreTheirValue) {
    const StoredLine cases[] = {
        // The value of a string line is the whole rest of the line.
        {"set global global customer string Site A", "customer", 0, "Site A", 0},
        {"set global global customer string  two  spaces ", "customer", 0, " two  spaces ", 0},
        {"set global global customer string ", "customer", 0, "", 0},
        {"set global global globalrecordrule string 12 o'clock", "globalrecordrule", 12, "12 o'clock", 12},
        // Integers: the number and its decimal text, whatever followed the digits.
        {"set global global stmode int 9", "stmode", 9, "9", 9},
        {"set global global stmode int -7", "stmode", -7, "-7", -7},
        {"set global global keyinterval int 3 frames", "keyinterval", 3, "3", 3},
        {"set global global stmode int 99999999999", "stmode", INT_MAX, "2147483647", static_cast<float>(INT_MAX)},
        {"set global global customer int 42", "customer", 42, "42", 42},
        {"SET GLOBAL Global STMODE INT 25", "stmode", 25, "25", 25},
        // The object name of a global line is not looked at.
        {"set global somewhere stmode int 4", "stmode", 4, "4", 4},
        // Reals: the number and its text with four decimals.
        {"set global global keyinterval float 2.75", "keyinterval", 2, "2.7500", 2.75f},
        {"set global global keyinterval float -0.125", "keyinterval", 0, "-0.1250", -0.125f},
        {"set global global keyinterval float 1e3", "keyinterval", 1000, "1000.0000", 1000},
        {"set global global keyinterval float abc", "keyinterval", 0, "0.0000", 0},
    };
    for (const StoredLine& c : cases) {
        EXPECT_EQ(run(c.line), 1) << c.line;
        expectStored(*settings_, c);
    }
}

TEST_F(dvrSettingLinesTest, linesForNothingKnownSucceedAndChangeNothing) {
    CountingObserver observer;
    settings_->addObserver(&observer, dvrEvent::settingChanged);
    const std::string before = written();
    for (const char* line : {
             "set global global nosuchkey int 5",
             "set global global nosuchkey string x",
             "set global global stmode bool 4",
             "set vcamera global stmode int 4",
             "set VCAMERA cam1 customer string Elsewhere",
             "set elsewhere global stmode int 4",
             "get global global customer",
             "get global global stmode",
             "get vcamera cam1 stmode",
         }) {
        EXPECT_EQ(run(line), 1) << line;
    }
    EXPECT_EQ(written(), before);
    EXPECT_EQ(observer.changes, 0);
    settings_->removeObserver(&observer, dvrEvent::all);
}

TEST_F(dvrSettingLinesTest, deviceAndUserLinesGoToTheirScopeHandler) {
    const std::string before = written();
    for (std::string scope : {"board", "camera", "user"}) {
        EXPECT_EQ(run("set " + scope + " front gain int 5"), 0) << scope << " without handler";
        EXPECT_EQ(run("get " + scope + " front gain"), 0) << scope << " without handler";
    }

    std::vector<std::string> seen;
    for (std::string scope : {"board", "camera", "user"}) {
        dvrSettingLines::setScopeHandler(scope, [&seen, scope](const dvrCommand& command) {
            seen.push_back(scope + ": " + joined(command));
            // A handler reports an object it does not know as failure.
            return command.argument(1) == "missing" ? 0 : 1;
        });
    }
    const struct {
        const char* line;
        int result;
        const char* seen;
    } cases[] = {
        {"set board front gain int 5", 1, "board: set board front gain int 5"},
        {"set CAMERA cam2 title string Door two", 1, "camera: set CAMERA cam2 title string Door two"},
        {"set user missing rights int 1", 0, "user: set user missing rights int 1"},
        {"get Board front gain", 1, "board: get Board front gain"},
    };
    for (const auto& c : cases) {
        seen.clear();
        EXPECT_EQ(run(c.line), c.result) << c.line;
        EXPECT_EQ(seen, std::vector<std::string>{c.seen});
    }
    EXPECT_EQ(written(), before);

    // Unregistered again, the scope has no way to its objects.
    dvrSettingLines::setScopeHandler("camera", nullptr);
    seen.clear();
    EXPECT_EQ(run("set camera cam2 title string Door"), 0);
    EXPECT_TRUE(seen.empty());
}

TEST_F(dvrSettingLinesTest, integerLinesOfAGlobalKeyCallItsReaction) {
    struct Call {
        int value;
        int stored;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> com1;
    std::vector<Call> com2;
    auto recorder = [](std::vector<Call>& calls, const char* key) {
        return [&calls, key](int value) { calls.push_back({value, dvrGlobalSettings::instance()->getInt(key)}); };
    };
    dvrSettingLines::setGlobalReaction("COM1", recorder(com1, "com1"));
    dvrSettingLines::setGlobalReaction("com2", recorder(com2, "com2"));

    EXPECT_EQ(run("set global global com1 int 9600"), 1);
    EXPECT_EQ(run("set global global COM1 int 0"), 1);
    EXPECT_EQ(run("set global global com2 int 4800"), 1);
    // Only integer lines configure a port.
    EXPECT_EQ(run("set global global com1 string 1200"), 1);
    EXPECT_EQ(run("set global global com1 float 2400"), 1);
    EXPECT_EQ(run("get global global com1"), 1);
    // A change published by the set itself goes through the interpreter and reacts too.
    EXPECT_TRUE(settings_->changeInt("com2", 115200));

    EXPECT_EQ(com1, (std::vector<Call>{{9600, 9600}, {0, 0}}));
    EXPECT_EQ(com2, (std::vector<Call>{{4800, 4800}, {115200, 115200}}));
    EXPECT_EQ(settings_->getText("com2"), "115200");
}

// Puts the process back into the "C" locale however the test ends.
class CLocaleAtExit {
public:
    ~CLocaleAtExit() {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
};

TEST_F(dvrSettingLinesTest, numbersIgnoreTheProcessLocale) {
    addRealEntry(*settings_);
    CLocaleAtExit restore;
    for (const char* name : {"de_DE.UTF-8", "fi_FI.UTF-8"}) {
        SCOPED_TRACE(name);
        ASSERT_NE(std::setlocale(LC_ALL, name), nullptr)
            << "locale " << name << " is missing; scripts/install-packages.sh generates it";
        std::locale::global(std::locale(name));
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");

        const StoredLine cases[] = {
            {"set global global gain float 0.5", "gain", 0, "0.5000", 0.5f},
            {"set global global keyinterval float 1,5", "keyinterval", 1, "1.0000", 1},
            {"set global global stmode int 1234567", "stmode", 1234567, "1234567", 1234567},
        };
        for (const StoredLine& c : cases) {
            EXPECT_EQ(run(c.line), 1) << c.line;
            expectStored(*settings_, c);
        }
        const std::string out = written();
        EXPECT_NE(out.find("set global global gain float 0.5000\n"), std::string::npos) << out;
        EXPECT_NE(out.find("set global global stmode int 1234567\n"), std::string::npos) << out;

        // A published real travels as text through the interpreter.
        EXPECT_TRUE(settings_->changeReal("gain", 0.25f));
        EXPECT_EQ(settings_->getReal("gain"), 0.25f);
        EXPECT_EQ(settings_->getText("gain"), "0.2500");
    }
}

TEST_F(dvrSettingLinesTest, writtenSettingsReadBackIdentically) {
    addRealEntry(*settings_);
    const std::string defaults = written();
    // A line break in a value must not smuggle a second line into the written settings.
    EXPECT_TRUE(settings_->changeText("customer", "Site A\nset global global stmode int 1"));
    EXPECT_TRUE(settings_->changeInt("stmode", 9));
    EXPECT_TRUE(settings_->changeInt("savemode", 2));
    EXPECT_TRUE(settings_->changeInt("showcamnum", 0));
    EXPECT_TRUE(settings_->changeInt("com3", 38400));
    EXPECT_TRUE(settings_->changeText("globalrecordrule", "night rule "));
    EXPECT_TRUE(settings_->changeReal("gain", 0.375f));
    EXPECT_EQ(run("set global global keyinterval int 8"), 1);

    const std::string changed = written();
    EXPECT_NE(changed, defaults);
    EXPECT_NE(changed.find("set global global customer string Site A set global global stmode int 1\n"),
              std::string::npos)
        << changed;

    dvrGlobalSettings::destroy();
    settings_ = dvrGlobalSettings::create();
    dvrGlobalSettings::applyDefaults();
    addRealEntry(*settings_);
    ASSERT_EQ(written(), defaults);

    console_->runText(changed);
    EXPECT_EQ(written(), changed);
    EXPECT_EQ(settings_->getInt("stmode"), 9);
    EXPECT_EQ(settings_->getText("globalrecordrule"), "night rule ");
    EXPECT_EQ(settings_->getReal("gain"), 0.375f);
}

} // namespace
