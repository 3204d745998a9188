#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "dvrBoard.h"
#include "dvrBoardContainer.h"
#include "dvrCapturedLog.h"

namespace {

std::vector<std::string> destroyed;

class KindBoard : public dvrBoard {
public:
    KindBoard(std::string type, bool unique, bool opens) : type_(std::move(type)), unique_(unique), opens_(opens) {}
    ~KindBoard() override { destroyed.push_back(getName().empty() ? "unnamed " + type_ : getName()); }
    bool isUnique() const override { return unique_; }
    bool open() override { return opens_; }
    std::string getTypeName() const override { return type_; }

private:
    std::string type_;
    bool unique_;
    bool opens_;
};

class dvrBoardContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        destroyed.clear();
        dvrBoardContainer::registerKind("Plain", [] { return std::make_unique<KindBoard>("Plain", false, true); });
        dvrBoardContainer::registerKind("httpserver",
                                        [] { return std::make_unique<KindBoard>("httpserver", true, true); });
        dvrBoardContainer::registerKind("broken", [] { return std::make_unique<KindBoard>("Broken", false, false); });
    }
    void TearDown() override {
        for (const char* kind : {"Plain", "httpserver", "broken"})
            dvrBoardContainer::unregisterKind(kind);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (dvrBoard* board : boards.boards())
            list.push_back(board->getName());
        return list;
    }

    dvrCapturedLog log;
    dvrBoardContainer boards;
};

TEST_F(dvrBoardContainerTest, KindsByTypeWordAndTheirRefusals) {
    struct Case {
        const char* type;
        const char* name;
        int result;
        const char* message;
    } cases[] = {
        {"plain", "P1", 1, ""},
        {"PLAIN", "P2", 1, ""},
        {"httpserver", "HTTPServer", 1, ""},
        {"HttpServer", "Second", 0, "[BOARD] Cannot add 2 or more boards of type `HttpServer'"},
        {"xecap", "X", 0, "[BOARD] Board type `xecap' not handled in dvrBoardContainer::addBoard()."},
        {"broken", "B", 0, "[BOARD] Board init failed for board of type `broken'."},
    };
    for (const Case& c : cases) {
        log.clear();
        EXPECT_EQ(boards.addBoard(c.type, c.name), c.result) << c.type;
        std::vector<std::string> messages = log.messages();
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1u) << c.type;
            EXPECT_EQ(messages[0], c.message);
        } else {
            EXPECT_TRUE(messages.empty()) << c.type;
        }
    }
    EXPECT_EQ(names(), (std::vector<std::string>{"P1", "P2", "HTTPServer"}));
    // Refused boards are destroyed at once, never kept.
    EXPECT_EQ(destroyed, (std::vector<std::string>{"unnamed httpserver", "unnamed Broken"}));
    EXPECT_TRUE(dvrBoardContainer::hasKind("PLAIN"));
    EXPECT_FALSE(dvrBoardContainer::hasKind("xecap"));
}

TEST_F(dvrBoardContainerTest, FindPrefersTheExactNameAndDeleteNeedsIt) {
    boards.addBoard("plain", "Camera board 2");
    boards.addBoard("plain", "Cam");
    EXPECT_EQ(boards.findBoard("cam")->getName(), "Cam");
    EXPECT_EQ(boards.findBoard("board")->getName(), "Camera board 2");
    EXPECT_EQ(boards.findBoard("nothing"), nullptr);
    EXPECT_FALSE(boards.deleteBoard("board"));
    EXPECT_TRUE(boards.deleteBoard("CAM"));
    EXPECT_EQ(names(), std::vector<std::string>{"Camera board 2"});
}

TEST_F(dvrBoardContainerTest, DeleteAllTakesUniqueBoardsFirst) {
    boards.addBoard("plain", "P1");
    boards.addBoard("httpserver", "HTTPServer");
    boards.addBoard("plain", "P2");
    destroyed.clear();
    EXPECT_TRUE(boards.deleteAll());
    EXPECT_EQ(destroyed, (std::vector<std::string>{"HTTPServer", "P1", "P2"}));
    EXPECT_FALSE(boards.deleteAll());
}

TEST_F(dvrBoardContainerTest, AddedBoardsAreLeftClosedAndStartTogether) {
    boards.addBoard("plain", "P1");
    boards.addBoard("plain", "P2");
    EXPECT_FALSE(boards.findBoard("P1")->isStarted());
    EXPECT_TRUE(boards.openAndStartAll());
    EXPECT_TRUE(boards.findBoard("P2")->isStarted());
    EXPECT_TRUE(boards.stopAll());
    EXPECT_FALSE(boards.findBoard("P1")->isStarted());
}

} // namespace
