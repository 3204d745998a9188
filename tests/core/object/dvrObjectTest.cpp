#include <gtest/gtest.h>

#include <string>

#include "console/dvrCommand.h"
#include "object/dvrEvents.h"
#include "object/dvrObject.h"
#include "settings/dvrSettingSet.h"

namespace {

// Reads the name and a setting of the object that tells it of its destruction.
class NameReader : public dvrObserver {
public:
    ~NameReader() override { stopObserving(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        if (events & dvrEvent::destroyed) {
            auto* object = dynamic_cast<dvrObject*>(notifier);
            if (object) {
                nameAtDestruction = object->getName();
                customerAtDestruction = object->getSettings()->getText("customer");
            }
        }
        dvrObserver::onNotify(notifier, events);
    }
    std::string nameAtDestruction;
    std::string customerAtDestruction;
};

TEST(dvrObjectTest, ObserversHearOfDestructionWhileNameAndSettingsExist) {
    NameReader reader;
    {
        dvrObject object;
        object.getSettings()->addSetting("customer", "Customer", 1, 0x20);
        object.setName("Camera_1");
        object.getSettings()->setText("customer", "Site A");
        object.addObserver(&reader, 1);
    }
    EXPECT_EQ(reader.nameAtDestruction, "Camera_1");
    EXPECT_EQ(reader.customerAtDestruction, "Site A");
    EXPECT_EQ(reader.notifierCount(), 0u);
}

TEST(dvrObjectTest, SetNameNamesTheSettingsAndFillsAnEmptyName) {
    dvrObject object;
    dvrSettingSet* settings = object.getSettings();
    settings->addSetting("name", "Name", 1, 0x20);
    object.setName("Board_7");
    EXPECT_EQ(object.getName(), "Board_7");
    EXPECT_EQ(settings->objectName(), "Board_7");
    EXPECT_EQ(settings->getText("name"), "Board_7");
    EXPECT_EQ(settings->owner(), &object);

    object.setName("Renamed");
    EXPECT_EQ(settings->objectName(), "Renamed");
    EXPECT_EQ(settings->getText("name"), "Board_7"); // a given name is kept
}

TEST(dvrObjectTest, ApplySetConvertsByTypeWord) {
    dvrObject object;
    dvrSettingSet* settings = object.getSettings();
    settings->addSetting("framerate", "Frame rate", 13, 0x10, 1, 25);
    settings->addSetting("title", "Title", 1, 0x20);
    settings->addSetting("gain", "Gain", 3, 0x40);

    struct Case {
        const char* line;
        const char* key;
        int intValue;
        const char* text;
    } cases[] = {
        {"set camera c framerate INT 12", "framerate", 12, "12"},
        {"set camera c title string Front door", "title", 0, "Front door"},
        {"set camera c gain Float 0.25", "gain", 0, "0.250000"},
        {"set camera c framerate bogus 3", "framerate", 12, "12"}, // unknown type word
        {"set camera c nokey int 3", "framerate", 12, "12"},       // unknown key
    };
    for (const Case& c : cases) {
        EXPECT_EQ(object.applySet(dvrCommand::parse(c.line)), 1) << c.line;
        EXPECT_EQ(settings->getInt(c.key), c.intValue) << c.line;
        EXPECT_EQ(settings->getText(c.key), c.text) << c.line;
    }
    EXPECT_FLOAT_EQ(settings->getReal("gain"), 0.25f);
}

TEST(dvrObjectTest, IdsAreUniqueAndAboveTheBoardRange) {
    dvrObject a, b;
    EXPECT_NE(a.getId(), b.getId());
    EXPECT_GT(a.getId(), 255);
    a.setId(3);
    EXPECT_EQ(a.getId(), 3);
}

} // namespace
