#include <gtest/gtest.h>

#include "http/dvrHTTPRequest.h"
#include "http/dvrHTTPRequestReader.h"

namespace {

TEST(dvrHTTPRequestTest, ParametersAreFoundByTheirExactName) {
    std::optional<dvrHTTPRequest> request =
        dvrHTTPRequest::parse("GET /camera/1?mywidth=7&width=640&type=p%6Eg&height=-5&quality=abc&empty= HTTP/1.0");
    ASSERT_TRUE(request);
    const struct {
        const char* name;
        int value;
    } integers[] = {{"width", 640}, {"height", -5}, {"quality", 0}, {"mywidth", 7}, {"missing", -1},
                    {"idth", -1}, {"empty", 0}};
    for (const auto& c : integers)
        EXPECT_EQ(request->getIntParameter(c.name), c.value) << c.name;
    EXPECT_EQ(request->getTextParameter("type"), "png");
    EXPECT_EQ(request->getTextParameter("missing"), "");
    EXPECT_EQ(*request->path(), "/camera/1");
}

TEST(dvrHTTPRequestTest, OverlongAndHugeValuesAreHandled) {
    auto request = dvrHTTPRequest::parse("GET /x?type=" + std::string(1025, 'a') + "&width=99999999999999 HTTP/1.0");
    ASSERT_TRUE(request);
    EXPECT_EQ(request->getTextParameter("type"), "");
    EXPECT_GT(request->getIntParameter("width"), 4096);
    EXPECT_FALSE(dvrHTTPRequest::parse("GET / HTTP/1.0 extra"));
    EXPECT_FALSE(dvrHTTPRequest::parse(""));
    EXPECT_FALSE(dvrHTTPRequest::parse("GET /a%00b HTTP/1.0")->path());
    EXPECT_FALSE(dvrHTTPRequest::parse("GET /a%4 HTTP/1.0")->path());
}

TEST(dvrHTTPRequestReaderTest, RequestsArriveInPiecesAndWithinBounds) {
    dvrHTTPRequestReader reader;
    for (char c : std::string("\r\nGET / HTTP/1.0\r\nHost: a\r\n"))
        EXPECT_EQ(reader.feed(std::string_view(&c, 1)), dvrHTTPRequestReader::State::reading);
    EXPECT_EQ(reader.feed("\r\nignored"), dvrHTTPRequestReader::State::complete);
    EXPECT_EQ(reader.requestLine(), "GET / HTTP/1.0");
    ASSERT_EQ(reader.headerLines().size(), 1u);
    EXPECT_EQ(reader.headerLines()[0], "Host: a");

    dvrHTTPRequestReader exact;
    EXPECT_EQ(exact.feed("GET /" + std::string(2048 - 14, 'a') + " HTTP/1.0\r\n\r\n"),
              dvrHTTPRequestReader::State::complete);
    dvrHTTPRequestReader longer;
    EXPECT_EQ(longer.feed("GET /" + std::string(2048 - 13, 'a') + " HTTP/1.0\r\n"), dvrHTTPRequestReader::State::tooLarge);
}

} // namespace
