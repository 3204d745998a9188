#include <gtest/gtest.h>

#include <filesystem>

#include "dvrHTTPExchange.h"
#include "dvrHTTPServerFixture.h"

namespace {

constexpr const char* pageNotFound = "Die Seite wurde nicht gefunden!\r\n";

// Pages, a hidden file, and a secret next to the page directory with links towards it.
class dvrHTTPFileTest : public dvrHTTPServerFixture {
protected:
    void SetUp() override {
        dvrHTTPServerFixture::SetUp();
        directory.write("html/index.html", "<html>index</html>");
        std::filesystem::create_directories(pages() + "/sub");
        directory.write("html/sub/page.txt", "sub page");
        directory.write("html/.hidden", "hidden");
        directory.write("secret.txt", "SECRET");
        std::filesystem::create_symlink("../secret.txt", pages() + "/link");
        std::filesystem::create_symlink(directory.path(), pages() + "/outside");
        std::filesystem::create_symlink("sub/page.txt", pages() + "/inner");
    }
};

struct FileCase {
    const char* target;
    int status;
    const char* body;
    const char* type;
};

TEST_F(dvrHTTPFileTest, PagesComeFromThePageDirectoryOnly) {
    const FileCase cases[] = {
        {"/", 200, "<html>index</html>", "text/html; charset=utf-8"},
        {"/index.html?x=1", 200, "<html>index</html>", "text/html; charset=utf-8"},
        {"/sub/page.txt", 200, "sub page", "text/plain; charset=utf-8"},
        {"/sub%2Fpage.txt", 200, "sub page", "text/plain; charset=utf-8"},
        {"/inner", 200, "sub page", "text/plain; charset=utf-8"},
        {"/missing.html", 404, pageNotFound, nullptr},
        {"/sub", 404, pageNotFound, nullptr},
        {"/.hidden", 404, pageNotFound, nullptr},
        {"/_x", 404, pageNotFound, nullptr},
        {"/../secret.txt", 404, pageNotFound, nullptr},
        {"/%2e%2e/secret.txt", 404, pageNotFound, nullptr},
        {"/sub/../../secret.txt", 404, pageNotFound, nullptr},
        {"/sub/%2E%2E/%2e%2e/secret.txt", 404, pageNotFound, nullptr},
        {"/sub/..%2f..%2fsecret.txt", 404, pageNotFound, nullptr},
        {"/link", 404, pageNotFound, nullptr},
        {"/outside/secret.txt", 404, pageNotFound, nullptr},
        {"//etc/passwd", 404, pageNotFound, nullptr},
        {"/%2Fetc/passwd", 404, pageNotFound, nullptr},
        {"/sub//page.txt", 404, pageNotFound, nullptr},
        {"/sub\\..\\..\\secret.txt", 404, pageNotFound, nullptr},
        {"secret.txt", 404, pageNotFound, nullptr},
        {"http://127.0.0.1/secret.txt", 404, pageNotFound, nullptr},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.target);
        dvrHTTPExchange answer = dvrHTTPExchange::get(port, c.target);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.body, c.body);
        EXPECT_EQ(answer.headers["server"], "Mirdal DVR");
        EXPECT_EQ(answer.headers["content-length"], std::to_string(answer.body.size()));
        if (c.type) {
            EXPECT_EQ(answer.headers["content-type"], c.type);
        }
    }
}

TEST_F(dvrHTTPFileTest, CurlGetsPagesAndNoSecrets) {
    dvrHTTPExchange index = dvrHTTPExchange::curl(port, "/");
    EXPECT_EQ(index.status, 200);
    EXPECT_EQ(index.body, "<html>index</html>");
    for (const char* target : {"/../secret.txt", "/%2e%2e/secret.txt", "/.hidden", "/link"}) {
        dvrHTTPExchange answer = dvrHTTPExchange::curl(port, target, "--path-as-is");
        EXPECT_EQ(answer.status, 404) << target;
        EXPECT_EQ(answer.body.find("SECRET"), std::string::npos) << target;
    }
}

TEST_F(dvrHTTPFileTest, LargeFilesArriveWhole) {
    std::string big(3 << 20, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + i % 26);
    directory.write("html/big.bin", big);
    dvrHTTPExchange answer = dvrHTTPExchange::get(port, "/big.bin");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.headers["content-length"], std::to_string(big.size()));
    EXPECT_TRUE(answer.body == big);
}

} // namespace
