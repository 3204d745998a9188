#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "console/dvrCommand.h"
#include "object/dvrEvents.h"
#include "object/dvrObject.h"
#include "object/dvrObserver.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

using namespace dvrSettingKind;
using namespace dvrSettingFlag;

class CountingObserver : public dvrObserver {
public:
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        if (events & dvrEvent::settingChanged)
            ++changes;
        dvrObserver::onNotify(notifier, events);
    }

    int changes = 0;
};

// A set without owner that keeps its published lines instead of running them.
class RecordingSet : public dvrSettingSet {
public:
    std::vector<std::string> lines;

protected:
    void emit(const std::string& line) override { lines.push_back(line); }
};

// A set whose published lines go nowhere, for tests that publish a lot.
class DiscardingSet : public dvrSettingSet {
protected:
    void emit(const std::string&) override {}
};

// An object that keeps every "set" line it is given, written back as one line.
class RecordingObject : public dvrObject {
public:
    int applySet(const dvrCommand& command) override {
        std::string text = command.word();
        for (int i = 0; i < command.argumentCount(); ++i)
            text.append(" ").append(command.argument(static_cast<std::size_t>(i)));
        received.push_back(text);
        return dvrObject::applySet(command);
    }

    std::vector<std::string> received;
};

// One entry of every value behaviour the tests need.
void describe(dvrSettingSet& set) {
    set.addSetting("number", "Number", text, savedAsInt);
    set.addSetting("mode", "Mode", choice, choiceTextOnly);
    set.addChoice("Off", 0);
    set.addChoice("Low", 10);
    set.addChoice("High", 20);
    set.addSetting("speed", "Speed", choice, choiceTextOnly | savedAsInt);
    set.addChoice("Slow", 0);
    set.addChoice("Fast", 1);
    set.addSetting("ratio", "Ratio", choice, 0);
    set.addChoice("2.500000", 0);
    set.addChoice("7.000000", 1);
    set.addSetting("fixedratio", "Fixed ratio", choice, savedAsInt);
    set.addChoice("2.500000", 0);
    set.addChoice("7.000000", 1);
    set.addSetting("title", "Title", text, savedAsText);
}

class dvrSettingSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        describe(set_);
        set_.addObserver(&observer_, dvrEvent::settingChanged);
    }

    // Number of change announcements since the last call.
    int announced() {
        int changes = observer_.changes;
        observer_.changes = 0;
        return changes;
    }

    RecordingSet set_;
    CountingObserver observer_;
};

enum class Op { setInt, setText, setReal };

struct QuietChange {
    Op op;
    const char* key;
    int intArgument;
    const char* textArgument;
    float realArgument;
    int expectedInt;
    const char* expectedText;
    float expectedReal;
};

bool apply(dvrSettingSet& set, const QuietChange& c) {
    switch (c.op) {
    case Op::setInt:
        return set.setInt(c.key, c.intArgument);
    case Op::setText:
        return set.setText(c.key, c.textArgument);
    case Op::setReal:
        return set.setReal(c.key, c.realArgument);
    }
    return false;
}

TEST_F(dvrSettingSetTest, quietChangesKeepTheThreeValueFormsInStep) {
    const QuietChange cases[] = {
        {Op::setInt, "number", 7, "", 0, 7, "7", 7},
        {Op::setInt, "number", -3, "", 0, -3, "-3", -3},
        // Without flag 0x10 an integer in range picks the choice at that position.
        {Op::setInt, "mode", 1, "", 0, 1, "Low", 1},
        {Op::setInt, "mode", 3, "", 0, 3, "3", 3},
        {Op::setInt, "mode", -1, "", 0, -1, "-1", -1},
        // With flag 0x10 the integer is a number, not a choice position.
        {Op::setInt, "speed", 1, "", 0, 1, "1", 1},
        {Op::setText, "number", 0, "12 monkeys", 0, 12, "12 monkeys", 12},
        {Op::setText, "number", 0, "-4.5", 0, -4, "-4.5", -4.5f},
        {Op::setText, "mode", 0, "High", 0, 2, "High", 0},
        {Op::setText, "mode", 0, "high", 0, 0, "high", 0},
        {Op::setText, "mode", 0, "2", 0, 2, "2", 2},
        {Op::setText, "speed", 0, "Fast", 0, 0, "Fast", 0},
        {Op::setText, "speed", 0, "1", 0, 1, "1", 1},
        {Op::setText, "ratio", 0, "7.000000", 0, 1, "7.000000", 7},
        {Op::setReal, "number", 0, "", 2.75f, 2, "2.750000", 2.75f},
        {Op::setReal, "number", 0, "", -2.75f, -2, "-2.750000", -2.75f},
        {Op::setReal, "number", 0, "", 3e9f, INT_MAX, "3000000000.000000", 3e9f},
        {Op::setReal, "ratio", 0, "", 7, 1, "7.000000", 7},
        {Op::setReal, "fixedratio", 0, "", 7, 7, "7.000000", 7},
    };
    for (const QuietChange& c : cases) {
        RecordingSet set;
        describe(set);
        CountingObserver observer;
        set.addObserver(&observer, dvrEvent::settingChanged);
        SCOPED_TRACE(std::string(c.key) + " <- " + c.textArgument + std::to_string(c.intArgument) + "/" +
                     std::to_string(c.realArgument));
        ASSERT_TRUE(apply(set, c));
        EXPECT_EQ(set.getInt(c.key), c.expectedInt);
        EXPECT_EQ(set.getText(c.key), c.expectedText);
        EXPECT_EQ(set.getReal(c.key), c.expectedReal);
        EXPECT_EQ(observer.changes, 1);
        EXPECT_TRUE(set.lines.empty()) << "quiet changes publish nothing";
    }
}

TEST_F(dvrSettingSetTest, aChangeToTheSameValueAnnouncesNothing) {
    const struct {
        QuietChange change;
        bool announces;
    } steps[] = {
        {{Op::setInt, "number", 5, "", 0, 5, "5", 5}, true},
        {{Op::setInt, "number", 5, "", 0, 5, "5", 5}, false},
        {{Op::setText, "number", 0, "5", 0, 5, "5", 5}, false},
        {{Op::setReal, "number", 0, "", 5, 5, "5.000000", 5}, true},
        {{Op::setReal, "number", 0, "", 5, 5, "5.000000", 5}, false},
        // Same integer, but the text is not the plain decimal form any more.
        {{Op::setInt, "number", 5, "", 0, 5, "5", 5}, true},
        {{Op::setText, "number", 0, "05", 0, 5, "05", 5}, true},
        {{Op::setText, "number", 0, "05", 0, 5, "05", 5}, false},
        {{Op::setInt, "mode", 1, "", 0, 1, "Low", 1}, true},
        {{Op::setInt, "mode", 1, "", 0, 1, "Low", 1}, false},
        // The choice text reads as real 0, which differs from the real 1 stored by setInt.
        {{Op::setText, "mode", 0, "Low", 0, 1, "Low", 0}, true},
        {{Op::setText, "mode", 0, "Low", 0, 1, "Low", 0}, false},
        // A choice whose text is already there makes the integer change empty.
        {{Op::setInt, "mode", 1, "", 0, 1, "Low", 0}, false},
        // Same integer, but the text is not the choice's: the choice text is put back.
        {{Op::setText, "mode", 0, "1", 0, 1, "1", 1}, true},
        {{Op::setInt, "mode", 1, "", 0, 1, "Low", 1}, true},
        {{Op::setText, "title", 0, "", 0, 0, "", 0}, false},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const QuietChange& c = steps[i].change;
        SCOPED_TRACE("step " + std::to_string(i));
        ASSERT_TRUE(apply(set_, c));
        EXPECT_EQ(announced(), steps[i].announces ? 1 : 0);
        EXPECT_EQ(set_.getInt(c.key), c.expectedInt);
        EXPECT_EQ(set_.getText(c.key), c.expectedText);
        EXPECT_EQ(set_.getReal(c.key), c.expectedReal);
    }
}

TEST_F(dvrSettingSetTest, unknownKeysAndIndexesFailWithoutChange) {
    std::string before;
    set_.writeSettings(before);
    const int count = set_.count();
    for (int index : {-1, count, count + 5, INT_MAX}) {
        EXPECT_FALSE(set_.setInt(index, 1)) << index;
        EXPECT_FALSE(set_.setText(index, "1")) << index;
        EXPECT_FALSE(set_.setReal(index, 1)) << index;
        EXPECT_EQ(set_.choiceCount(index), 0) << index;
    }
    EXPECT_FALSE(set_.setInt("nosuch", 1));
    EXPECT_FALSE(set_.setText("nosuch", "1"));
    EXPECT_FALSE(set_.setReal("nosuch", 1));
    EXPECT_FALSE(set_.changeInt("nosuch", 1));
    EXPECT_FALSE(set_.changeText("nosuch", "1"));
    EXPECT_FALSE(set_.changeReal("nosuch", 1));
    EXPECT_FALSE(set_.setLabel("nosuch", "Label"));
    EXPECT_FALSE(set_.setFlags("nosuch", savedAsInt, true));
    EXPECT_EQ(set_.getInt("nosuch"), 0);
    EXPECT_EQ(set_.getText("nosuch"), "");

    std::string after;
    set_.writeSettings(after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(set_.count(), count);
    EXPECT_EQ(announced(), 0);
    EXPECT_TRUE(set_.lines.empty());
}

TEST_F(dvrSettingSetTest, textValuesAreOneLineOfAtMost511Bytes) {
    // A line break in a value would become a second command when the set is written back.
    ASSERT_TRUE(set_.setText("title", "Front\nquit\r\nrun evil"));
    EXPECT_EQ(set_.getText("title"), "Front quit  run evil");
    std::string out;
    set_.writeSettings(out);
    EXPECT_NE(out.find("set global global title string Front quit  run evil\n"), std::string::npos) << out;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4) << out;

    const std::string tooLong(600, 'x');
    ASSERT_TRUE(set_.setText("title", tooLong));
    EXPECT_EQ(set_.getText("title"), tooLong.substr(0, 511));
    announced();
    // The stored value is compared with the cut text, so repeating the long value is no change.
    ASSERT_TRUE(set_.setText("title", tooLong));
    EXPECT_EQ(announced(), 0);

    // A two-byte character across the limit is left out whole.
    const std::string accented = std::string(510, 'y') + "\xC3\xA9";
    ASSERT_TRUE(set_.setText("title", accented));
    EXPECT_EQ(set_.getText("title"), std::string(510, 'y'));

    ASSERT_TRUE(set_.addChoice(std::string(700, 'c'), 3));
    EXPECT_EQ(set_.choiceText(set_.count() - 1, 0), std::string(511, 'c'));
}

TEST_F(dvrSettingSetTest, setFlagsChangesOnlyWhatIsNotThereYet) {
    const struct {
        std::uint32_t initial;
        std::uint32_t bits;
        bool on;
        std::uint32_t expected;
        bool announces;
    } cases[] = {
        {savedAsInt, savedAsText, true, savedAsInt | savedAsText, true},
        // Any of the bits already set: nothing to do.
        {savedAsInt, savedAsInt | savedAsText, true, savedAsInt, false},
        {savedAsInt, savedAsInt, false, 0, true},
        {savedAsInt, savedAsText, false, savedAsInt, false},
        // Any of the bits set: all of them are cleared.
        {savedAsInt | savedAsText, savedAsText | savedAsReal, false, savedAsInt, true},
        {0, neverSaved | readOnly, true, neverSaved | readOnly, true},
    };
    for (const auto& c : cases) {
        RecordingSet set;
        set.addSetting("flagged", "Flagged", text, c.initial);
        CountingObserver observer;
        set.addObserver(&observer, dvrEvent::settingChanged);
        EXPECT_TRUE(set.setFlags("FLAGGED", c.bits, c.on));
        EXPECT_EQ(set.entry(0).flags, c.expected) << std::hex << c.initial << " " << c.bits << " " << c.on;
        EXPECT_EQ(observer.changes, c.announces ? 1 : 0) << std::hex << c.initial << " " << c.bits << " " << c.on;
    }
}

TEST(dvrSettingSetDescriptionTest, addChoiceNeedsAnEntryAndAttachesToTheLastOne) {
    dvrSettingSet set;
    EXPECT_FALSE(set.addChoice("Orphan", 1));
    EXPECT_EQ(set.count(), 0);

    set.addSetting("", "Heading", heading, 0);
    EXPECT_TRUE(set.addChoice("Under the heading", 7));
    EXPECT_EQ(set.choiceCount(0), 1);
    EXPECT_EQ(set.choiceText(0, 0), "Under the heading");
    EXPECT_EQ(set.choiceValue(0, 0), 7);

    set.addSetting("list", "List", choice, 0);
    EXPECT_TRUE(set.addChoice("A", 10));
    EXPECT_TRUE(set.addChoice("B", 20));
    EXPECT_EQ(set.choiceCount(0), 1);
    EXPECT_EQ(set.choiceCount(1), 2);
    for (int n : {-1, 2}) {
        EXPECT_EQ(set.choiceText(1, n), "") << n;
        EXPECT_EQ(set.choiceValue(1, n), 0) << n;
    }
}

TEST(dvrSettingSetDescriptionTest, insertSettingGoesBehindTheFirstMatchingKey) {
    dvrSettingSet set;
    set.addSetting("a", "A", text, 0);
    set.addSetting("dup", "First dup", text, 0);
    set.addSetting("dup", "Second dup", text, 0);
    set.addSetting("z", "Z", text, 0);

    EXPECT_TRUE(set.insertSetting("DUP", "new", "New", "Help of new", spin, savedAsInt, 2, 9));
    EXPECT_TRUE(set.insertSetting("z", "last", "Last", "", text, 0));
    EXPECT_FALSE(set.insertSetting("nosuch", "lost", "Lost", "", text, 0));

    std::vector<std::string> labels;
    for (int i = 0; i < set.count(); ++i)
        labels.push_back(set.entry(i).label);
    EXPECT_EQ(labels, (std::vector<std::string>{"A", "First dup", "New", "Second dup", "Z", "Last"}));

    const dvrSetting inserted = set.entry(2);
    EXPECT_EQ(inserted.key, "new");
    EXPECT_EQ(inserted.help, "Help of new");
    EXPECT_EQ(inserted.kind, spin);
    EXPECT_EQ(inserted.flags, savedAsInt);
    EXPECT_EQ(inserted.low, 2);
    EXPECT_EQ(inserted.high, 9);
    EXPECT_EQ(inserted.textValue, "");
    EXPECT_EQ(inserted.intValue, 0);
    EXPECT_EQ(inserted.realValue, 0);
}

TEST(dvrSettingSetDescriptionTest, lookupsIgnoreCaseAndFindTheFirstEntry) {
    dvrSettingSet set;
    EXPECT_EQ(set.find("anything"), -1);
    set.addSetting("", "Heading", heading, 0);
    set.addSetting("Brightness", "Brightness", slider, savedAsInt, 0, 255);
    set.addSetting("brightness", "Shadowed", slider, savedAsInt, 0, 255);
    set.addSetting("tail", "Tail", text, savedAsText);
    set.setInt(2, 99);

    const struct {
        const char* key;
        int index;
    } cases[] = {{"Brightness", 1}, {"BRIGHTNESS", 1}, {"brightness", 1}, {"tail", 3},
                 {"TaiL", 3},       {"bright", -1},    {"tails", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(set.find(c.key), c.index) << c.key;
    // Reads by key see the first of the duplicates.
    EXPECT_EQ(set.getInt("brightness"), 0);

    EXPECT_EQ(set.count(), 4);
    EXPECT_EQ(set.entry(1).label, "Brightness");
    EXPECT_EQ(set.entry(1).high, 255);
    for (int pastTheEnd : {4, 5, 1000})
        EXPECT_EQ(set.entry(pastTheEnd).label, "Tail") << pastTheEnd;

    EXPECT_TRUE(set.setLabel("TAIL", "New tail"));
    EXPECT_EQ(set.entry(3).label, "New tail");
}

TEST(dvrSettingSetWriteTest, writesOneLinePerSavedFormInOrder) {
    dvrSettingSet set;
    set.setScope("camera");
    set.setObjectName("cam1");
    set.addSetting("", "Heading", heading, 0);
    set.addSetting("both", "Both", text, savedAsInt | savedAsText);
    set.addSetting("all", "All", text, savedAsInt | savedAsText | savedAsReal);
    set.addSetting("gain", "Gain", slider, savedAsReal);
    set.addSetting("e", "E", slider, savedAsReal);
    set.addSetting("secret", "Secret", text, savedAsInt | neverSaved);
    set.addSetting("never", "Never", text, neverSaved);
    set.addSetting("choiceonly", "Choice only", choice, choiceTextOnly);
    set.addSetting("label", "Label", text, savedAsText);
    set.setText("both", "12 monkeys");
    set.setReal("all", -1.25f);
    set.setReal("gain", 0.5f);
    set.setReal("e", 2.71828f);
    set.setInt("secret", 42);
    set.setInt("choiceonly", 3);

    const std::string expected = "set camera cam1 both int 12\n"
                                 "set camera cam1 both string 12 monkeys\n"
                                 "set camera cam1 all int -1\n"
                                 "set camera cam1 all string -1.250000\n"
                                 "set camera cam1 all float -1.2500\n"
                                 "set camera cam1 gain float 0.5000\n"
                                 "set camera cam1 e float 2.7183\n"
                                 "set camera cam1 label string \n";
    std::string out;
    set.writeSettings(out);
    EXPECT_EQ(out, expected);

    // Written as another object, appended to what is already there.
    std::string renamed = "# earlier\n";
    set.writeSettingsAs(renamed, "cam2");
    std::string expectedRenamed = expected;
    for (std::size_t at = 0; (at = expectedRenamed.find(" cam1 ", at)) != std::string::npos;)
        expectedRenamed.replace(at, 6, " cam2 ");
    EXPECT_EQ(renamed, "# earlier\n" + expectedRenamed);
    EXPECT_EQ(set.objectName(), "cam1");

    set.setNotSaved(true);
    std::string none = "kept\n";
    set.writeSettings(none);
    set.writeSettingsAs(none, "cam2");
    EXPECT_EQ(none, "kept\n");
}

struct Publication {
    Op op;
    const char* key;
    int intValue;
    const char* textValue;
    float realValue;
    const char* line;
};

const Publication publications[] = {
    {Op::setInt, "gain", 7, "", 0, "set camera cam1 gain int 7"},
    {Op::setInt, "gain", -12, "", 0, "set camera cam1 gain int -12"},
    {Op::setText, "title", 0, "Front door", 0, "set camera cam1 title string Front door"},
    {Op::setText, "title", 0, "Back\nquit", 0, "set camera cam1 title string Back quit"},
    {Op::setText, "title", 0, "", 0, "set camera cam1 title string "},
    {Op::setReal, "level", 0, "", 0.5f, "set camera cam1 level float 0.500000"},
    {Op::setReal, "level", 0, "", -2.125f, "set camera cam1 level float -2.125000"},
};

void describePublished(dvrSettingSet& set) {
    set.setScope("camera");
    set.addSetting("gain", "Gain", slider, savedAsInt, 0, 100);
    set.addSetting("title", "Title", text, savedAsText);
    set.addSetting("level", "Level", slider, savedAsReal);
}

bool publish(dvrSettingSet& set, const Publication& p) {
    switch (p.op) {
    case Op::setInt:
        return set.changeInt(p.key, p.intValue);
    case Op::setText:
        return set.changeText(p.key, p.textValue);
    case Op::setReal:
        return set.changeReal(p.key, p.realValue);
    }
    return false;
}

TEST(dvrSettingSetPublishTest, changesOfAnOwnedSetReachTheOwnersApplySet) {
    RecordingObject owner;
    dvrSettingSet& set = *owner.getSettings();
    describePublished(set);
    owner.setName("cam1");
    for (const Publication& p : publications) {
        owner.received.clear();
        ASSERT_TRUE(publish(set, p)) << p.line;
        EXPECT_EQ(owner.received, std::vector<std::string>{p.line});
    }
    EXPECT_EQ(set.getText("title"), "");
    EXPECT_EQ(set.getReal("level"), -2.125f);

    owner.received.clear();
    EXPECT_FALSE(set.changeInt("nosuch", 1));
    EXPECT_TRUE(owner.received.empty());
}

TEST(dvrSettingSetPublishTest, changesOfASetWithoutOwnerAreEmitted) {
    RecordingSet set;
    describePublished(set);
    set.setObjectName("cam1");
    for (const Publication& p : publications) {
        set.lines.clear();
        ASSERT_TRUE(publish(set, p)) << p.line;
        EXPECT_EQ(set.lines, std::vector<std::string>{p.line});
    }

    set.lines.clear();
    EXPECT_FALSE(set.changeText("nosuch", "x"));
    EXPECT_TRUE(set.lines.empty());
}

TEST(dvrSettingSetConcurrencyTest, readersNeverSeeATornValue) {
    // Each value starts with its own number, so a reader can tell whether the integer and the
    // text it got in one entry belong together.
    const std::vector<std::string> values = {
        "1",
        "22 " + std::string(300, 'b'),
        "333 ccc ccc",
        "4444 " + std::string(500, 'd'),
        "55555 \xC3\xA9t\xC3\xA9",
    };
    DiscardingSet set;
    set.addSetting("title", "Title", text, savedAsText);
    set.setText("title", values[0]);

    constexpr int iterations = 20000;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int i = 0; i < iterations; ++i) {
            const std::string& value = values[static_cast<std::size_t>(i) % values.size()];
            if (i % 2)
                set.changeText("title", value);
            else
                set.setText("title", value);
        }
        writing = false;
    });

    int torn = 0;
    int reads = 0;
    std::string example;
    while (writing || reads < iterations) {
        ++reads;
        std::string text = set.getText("title");
        if (std::find(values.begin(), values.end(), text) == values.end()) {
            ++torn;
            example = text;
        }
        dvrSetting entry = set.entry(0);
        if (std::find(values.begin(), values.end(), entry.textValue) == values.end() ||
            entry.intValue != dvrText::toInt(entry.textValue)) {
            ++torn;
            example = std::to_string(entry.intValue) + " / " + entry.textValue;
        }
        if (reads > 50 * iterations)
            break;
    }
    writer.join();
    EXPECT_EQ(torn, 0) << "for example: " << example.substr(0, 80);
}

} // namespace
