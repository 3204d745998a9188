#include <gtest/gtest.h>

#include <cstdlib>

#include "dvrDecodedPicture.h"
#include "dvrHTTPExchange.h"
#include "dvrHTTPServerFixture.h"

namespace {

using dvrHTTPPictureTest = dvrHTTPServerFixture;

bool near(const std::vector<int>& pixel, dvrPatternCamera::Colour colour) {
    return std::abs(pixel[0] - colour.red) < 24 && std::abs(pixel[1] - colour.green) < 24 &&
           std::abs(pixel[2] - colour.blue) < 24;
}

struct PictureCase {
    const char* target;
    bool png;
    int width, height;
    dvrPatternCamera::Colour left, right;
};

TEST_F(dvrHTTPPictureTest, PicturesDecodeAtTheSizeAskedFor) {
    const PictureCase cases[] = {
        {"/camera/1", false, 352, 288, red, blue},
        {"/camera/2?type=png&width=640&height=480", true, 640, 480, green, white},
        {"/camera/2?type=PNG", false, 352, 288, green, white},
        {"/camera/1?type=gif&width=0&height=-5", false, 352, 288, red, blue},
        {"/camera/1?quality=100&width=100&height=50", false, 100, 50, red, blue},
        {"/camera/1?width=4096&height=1&type=png", true, 4096, 1, red, blue},
        {"/camera/1?xwidth=100&height=100&quality=1", false, 352, 100, red, blue},
        {"/camera/2?width=2&height=2&type=png", true, 2, 2, green, white},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.target);
        dvrHTTPExchange answer = dvrHTTPExchange::get(port, c.target);
        EXPECT_EQ(answer.statusLine, "HTTP/1.0 200 OK");
        EXPECT_EQ(answer.headers["server"], "Mirdal DVR");
        EXPECT_EQ(answer.headers["content-type"], c.png ? "image/png" : "image/jpeg");
        EXPECT_EQ(answer.headers["content-length"], std::to_string(answer.body.size()));
        dvrDecodedPicture picture;
        ASSERT_TRUE(c.png ? picture.decodePng(answer.body) : picture.decodeJpeg(answer.body));
        EXPECT_EQ(picture.width, c.width);
        EXPECT_EQ(picture.height, c.height);
        EXPECT_TRUE(near(picture.pixel(0, c.height / 2), c.left));
        EXPECT_TRUE(near(picture.pixel(c.width - 1, c.height / 2), c.right));
    }
}

TEST_F(dvrHTTPPictureTest, CurlFetchesAPicture) {
    dvrHTTPExchange answer = dvrHTTPExchange::curl(port, "/camera/1?width=176&height=144");
    ASSERT_EQ(answer.status, 200) << answer.raw.substr(0, 200);
    dvrDecodedPicture picture;
    ASSERT_TRUE(picture.decodeJpeg(answer.body));
    EXPECT_EQ(picture.width, 176);
    EXPECT_EQ(picture.height, 144);
}

struct RefusalCase {
    const char* request;
    int status;
    const char* body;
};

TEST_F(dvrHTTPPictureTest, BadPictureRequestsAreRefusedWithTheirMessage) {
    const RefusalCase cases[] = {
        {"GET /camera/0 HTTP/1.0\r\n\r\n", 404, "[HTTP] Error: Invalid camera.\r\n"},
        {"GET /camera/4 HTTP/1.0\r\n\r\n", 404, "[HTTP] Error: Invalid camera.\r\n"},
        {"GET /camera/x HTTP/1.0\r\n\r\n", 404, "[HTTP] Error: Invalid camera.\r\n"},
        {"GET /camera/99999999999999 HTTP/1.0\r\n\r\n", 404, "[HTTP] Error: Invalid camera.\r\n"},
        {"GET /camera/3 HTTP/1.0\r\n\r\n", 404, "[HTTP] Error: Camera not found.\r\n"},
        {"GET /camera/1?width=4097 HTTP/1.0\r\n\r\n", 400, "[HTTP] Error: Invalid picture size or quality.\r\n"},
        {"GET /camera/1?height=99999999999999999999 HTTP/1.0\r\n\r\n", 400,
         "[HTTP] Error: Invalid picture size or quality.\r\n"},
        {"GET /camera/1?quality=101 HTTP/1.0\r\n\r\n", 400, "[HTTP] Error: Invalid picture size or quality.\r\n"},
        {"POST /camera/1 HTTP/1.0\r\n\r\n", 405, "[HTTP] Error: Only GET method is supported.\r\n"},
        {"get /camera/1 HTTP/1.0\r\n\r\n", 405, "[HTTP] Error: Only GET method is supported.\r\n"},
        {"HEAD / HTTP/1.0\r\n\r\n", 405, "[HTTP] Error: Only GET method is supported.\r\n"},
        {"GET /camera/1\r\n\r\n", 400, "[HTTP] Error: Bad request.\r\n"},
        {"GET /camera/1 FTP/1.0\r\n\r\n", 400, "[HTTP] Error: Bad request.\r\n"},
        {"GET /camera/%zz HTTP/1.0\r\n\r\n", 400, "[HTTP] Error: Bad request.\r\n"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.request);
        dvrHTTPExchange answer = dvrHTTPExchange::send(port, c.request);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.headers["server"], "Mirdal DVR");
        EXPECT_EQ(answer.headers["content-length"], std::to_string(answer.body.size()));
        EXPECT_EQ(answer.body, c.body);
    }
    EXPECT_EQ(dvrHTTPExchange::get(port, "/camera/0").statusLine, "HTTP/1.0 404 Not Found");
    EXPECT_EQ(dvrHTTPExchange::send(port, "PUT / HTTP/1.0\r\n\r\n").statusLine, "HTTP/1.0 405 Method Not Allowed");
    EXPECT_EQ(dvrHTTPExchange::send(port, "GET /\r\n\r\n").statusLine, "HTTP/1.0 400 Bad Request");
}

TEST_F(dvrHTTPPictureTest, ANewFrameGivesANewPictureAndTheSameFrameTheSameBytes) {
    std::string first = dvrHTTPExchange::get(port, "/camera/1").body;
    EXPECT_EQ(dvrHTTPExchange::get(port, "/camera/1").body, first);
    cameras[0]->paint(blue, red);
    dvrHTTPExchange after = dvrHTTPExchange::get(port, "/camera/1");
    dvrDecodedPicture picture;
    ASSERT_TRUE(picture.decodeJpeg(after.body));
    EXPECT_TRUE(near(picture.pixel(0, 100), blue));
    EXPECT_TRUE(near(picture.pixel(351, 100), red));
}

TEST_F(dvrHTTPPictureTest, ACameraWithoutPicturesOrGoneIsNotServed) {
    // Without image buffers (never initialised) the camera has nothing to show.
    auto bare = std::make_unique<dvrPatternCamera>(&board);
    ASSERT_TRUE(bare->attach(3));
    cameras.push_back(std::move(bare));
    server->update();
    dvrHTTPExchange answer = dvrHTTPExchange::get(port, "/camera/4");
    EXPECT_EQ(answer.status, 503);
    EXPECT_EQ(answer.body, "[HTTP] Error: Camera has no picture.\r\n");

    // A destroyed camera keeps its number until the next refresh, without a picture.
    cameras.erase(cameras.begin());
    EXPECT_EQ(dvrHTTPExchange::get(port, "/camera/1").body, "[HTTP] Error: Camera not found.\r\n");
    server->update();
    dvrDecodedPicture picture;
    ASSERT_TRUE(picture.decodeJpeg(dvrHTTPExchange::get(port, "/camera/1").body));
    EXPECT_TRUE(near(picture.pixel(0, 100), green));
}

} // namespace
