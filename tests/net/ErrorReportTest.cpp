#include "net/ErrorReport.h"
#include "NetFixture.h"
#include "app/Globals.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

namespace
{

// Points the program folder at a fresh folder, so the engine log of a test is its own.
class EngineLog : public ::testing::Test
{
protected:
    harness::TempDir dir;
    std::string savedAppDir = g_strAppDir;
    void SetUp() override { g_strAppDir = dir.Path(); }
    void TearDown() override { g_strAppDir = savedAppDir; }
    void Write(const std::string& bytes) { ASSERT_TRUE(harness::WriteFileBytes(EngineLogPath(), bytes)); }
};

TEST_F(EngineLog, DetailPicksTheTellingLine)
{
    const std::string line301(301, 'x');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[youtube] abc: Downloading\nERROR: first\nERROR: second\n", "ERROR: second"},
        {"WARNING: a\n  Error: mixed case  \r\nlast words\n", "Error: mixed case"},
        {"one\r\nlast non-blank line\r\n\r\n   \r\n\t\n", "last non-blank line"},
        {"[download] error:no space\n", "[download] error:no space"},
        {"an error without colon\nfinal\n", "final"},
        {line301 + "\n", std::string(300, 'x') + "..."},
        {std::string(300, 'y'), std::string(300, 'y')},
        {"\n \n\t\n", ""},
        {"", ""},
    };
    for (const auto& [log, detail] : cases) {
        SCOPED_TRACE(log.substr(0, 40));
        Write(log);
        EXPECT_EQ(ExtractErrorDetail(), detail);
    }
    Write(line301);
    EXPECT_EQ(ExtractErrorDetail().size(), 303u);
}

TEST_F(EngineLog, DetailDoesNotSplitALetter)
{
    // 299 ASCII bytes, then a two-byte letter straddling the 300-byte limit.
    Write(std::string(299, 'a') + "\xC3\xA9" + "tail");
    EXPECT_EQ(ExtractErrorDetail(), std::string(299, 'a') + "...");
}

TEST_F(EngineLog, MissingLogGivesEmptyTexts)
{
    EXPECT_EQ(ExtractErrorDetail(), "");
    EXPECT_EQ(ReadLogTail(), "");
}

TEST_F(EngineLog, TailIsTheLast51200Bytes)
{
    std::string big = standin::PatternBody(51201);
    Write(big);
    EXPECT_EQ(ReadLogTail(), big.substr(1));
    Write("ten bytes!");
    EXPECT_EQ(ReadLogTail(), "ten bytes!");
    Write(std::string("before\0after", 12));
    EXPECT_EQ(ReadLogTail(), "before");
    Write("");
    EXPECT_EQ(ReadLogTail(), "");
}

TEST_F(EngineLog, LogIsReadWhileTheEngineWritesIt)
{
    Write("ERROR: busy\n");
    // The engine runner keeps the log open for writing while a run goes on.
    UniqueFile writer(::CreateFileA(EngineLogPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(ExtractErrorDetail(), "ERROR: busy");
    EXPECT_EQ(ReadLogTail(), "ERROR: busy\n");
}

TEST(UrlEncodeTable, EncodesAllButUnreservedBytes)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"a b", "a%20b"},
        {"/", "%2F"},
        {"\r\n", "%0D%0A"},
        {"https://x.y/watch?v=1&t=2", "https%3A%2F%2Fx.y%2Fwatch%3Fv%3D1%26t%3D2"},
        {"100%+", "100%25%2B"},
        {"\xC3\xA9", "%C3%A9"},
        {std::string("\0\xFF", 2), "%00%FF"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(UrlEncode(in), out) << in;
}

TEST(ErrorReportPost, BodyArrivesEncoded)
{
    standin::StandinServer server("127.0.0.1");
    ASSERT_TRUE(server.Listening());
    const std::string saved = g_strReportUrl;
    g_strReportUrl = server.Base();
    auto* data = new ErrorReportData{"ERROR: x y\r\n/100%", "https://v.example/watch?v=a b", "10.9"};
    EXPECT_EQ(SendErrorReport(data), 0u);
    g_strReportUrl = saved;
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/php/server/report.php");
    EXPECT_EQ(r.Agent(), "Brenvoll");
    EXPECT_EQ(r.HeaderValue("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.body,
              "url=https%3A%2F%2Fv.example%2Fwatch%3Fv%3Da%20b&log=ERROR%3A%20x%20y%0D%0A%2F100%25&version=10.9");
    EXPECT_EQ(r.HeaderValue("Content-Length"), std::to_string(r.body.size()));
}

TEST(ErrorReportPost, UnreachableOrFailingServerIsSilent)
{
    const std::string saved = g_strReportUrl;
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    {
        standin::StandinServer server("127.0.0.1");
        server.Script("/php/server/report.php", standin::Answer::Status(500, "broken"));
        g_strReportUrl = server.Base();
        EXPECT_EQ(SendErrorReport(new ErrorReportData{"log", "u", "10.9"}), 0u);
        EXPECT_EQ(server.CountFor("/php/server/report.php"), 1u);
        g_strReportUrl = "http://127.0.0.1:" + std::to_string(server.Port());
    }
    EXPECT_EQ(SendErrorReport(new ErrorReportData{"log", "u", "10.9"}), 0u);
    EXPECT_EQ(SendErrorReport(nullptr), 0u);
    g_strReportUrl = saved;
    EXPECT_TRUE(boxes.Seen().empty());
}

} // namespace
