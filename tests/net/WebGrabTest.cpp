#include "NetFixture.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

using standin::Answer;

namespace
{

// Runs a transfer on a worker thread while this thread takes the window's messages, as the download
// page does while a worker fetches a tool.
bool Fetch(CWebGrab& grab, const std::string& url, const std::string& dest, HWND window, const char* agent = "Tasvrin")
{
    std::atomic<bool> done{false};
    bool result = false;
    std::thread worker([&] {
        result = grab.DownloadToFile(url.c_str(), dest, "Start text", "Done text", agent, window, "Label");
        done = true;
    });
    harness::PumpUntil([&] { return done.load(); }, 120000);
    worker.join();
    PumpPendingMessages();
    return result;
}

class Fetcher : public ::testing::Test
{
protected:
    standin::StandinServer server{"127.0.0.1"};
    harness::TempDir dir;
    nettest::StatusWindow window;
    std::string dest = dir.File("tool.exe");
    std::string Url(const std::string& path) const { return server.Base() + path; }
    void ExpectNoTemp() const { EXPECT_FALSE(nettest::Exists(dest + ".tmp")); }
};

TEST_F(Fetcher, SingleQuickReadGivesThreeRecords)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/f", Answer::Text("hello body"));
    nettest::AlignToSecond();
    CWebGrab grab;
    ASSERT_TRUE(Fetch(grab, Url("/f"), dest, window));
    EXPECT_EQ(nettest::ReadAll(dest), "hello body");
    ASSERT_EQ(window.records.size(), 3u);
    EXPECT_EQ(window.records[0].kind, 0);
    EXPECT_EQ(window.records[0].text, "Start text");
    EXPECT_EQ(window.records[1].kind, 1);
    EXPECT_EQ(window.records[1].text, "Label..   Read 10 Bytes");
    EXPECT_EQ(window.records[2].kind, 0);
    EXPECT_EQ(window.records[2].text, "Done text");
    for (const auto& r : window.records)
        EXPECT_EQ(r.percent, -1);
    // One message per record, each naming the fetcher.
    EXPECT_EQ(window.messages, 3);
    for (WPARAM w : window.senders)
        EXPECT_EQ(w, reinterpret_cast<WPARAM>(&grab));
    ExpectNoTemp();
}

TEST_F(Fetcher, OneMebibyteIsShownInMBytes)
{
    ASSERT_TRUE(server.Listening());
    // Spread over more than a second, so that the later reads use the rate forms.
    const std::string body = standin::PatternBody(1048576);
    server.Script("/big", Answer::Slow(body, 65536, 90));
    CWebGrab grab;
    ASSERT_TRUE(Fetch(grab, Url("/big"), dest, window));
    EXPECT_EQ(nettest::ReadAll(dest), body);
    ASSERT_GE(window.records.size(), 4u);
    const std::string last = window.records[window.records.size() - 2].text;
    EXPECT_TRUE(std::regex_match(last, std::regex(R"(Label\.\.   Read 1\.0 MBytes \([0-9]+\.[0-9] KB/s\))"))) << last;
    const std::string before = window.records[window.records.size() - 3].text;
    EXPECT_TRUE(std::regex_match(before, std::regex(R"(Label\.\.   Read [0-9]+\.[0-9] KBytes \([0-9]+\.[0-9] KB/s\))")))
        << before;
    EXPECT_TRUE(std::regex_match(window.records[1].text, std::regex(R"(Label\.\.   Read [0-9]+ Bytes)")))
        << window.records[1].text;
    EXPECT_EQ(window.records.back().text, "Done text");
    ExpectNoTemp();
}

TEST_F(Fetcher, EmptyBodyGivesEmptyFile)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/empty", Answer::Text(""));
    CWebGrab grab;
    ASSERT_TRUE(Fetch(grab, Url("/empty"), dest, window));
    ASSERT_TRUE(nettest::Exists(dest));
    EXPECT_EQ(nettest::ReadAll(dest), "");
    ASSERT_EQ(window.records.size(), 2u);
    EXPECT_EQ(window.records[0].text, "Start text");
    EXPECT_EQ(window.records[1].text, "Done text");
    ExpectNoTemp();
}

TEST_F(Fetcher, StopFlagSetBeforehandReadsOnceAndFails)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/f", Answer::Generated(200000));
    CWebGrab grab;
    grab.SetStopFlag(1);
    EXPECT_FALSE(Fetch(grab, Url("/f"), dest, window));
    ASSERT_EQ(window.records.size(), 2u);
    EXPECT_EQ(window.records[0].text, "Start text");
    EXPECT_EQ(window.records[1].kind, 1);
    EXPECT_FALSE(nettest::Exists(dest));
    ExpectNoTemp();
}

TEST_F(Fetcher, NullWindowKeepsRecordsQueued)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/f", Answer::Text("abc"));
    nettest::AlignToSecond();
    CWebGrab grab;
    // On this thread, so that a message posted to the thread itself would be seen too.
    ASSERT_TRUE(grab.DownloadToFile(Url("/f").c_str(), dest, "Start text", "Done text", "Tasvrin", nullptr, "Label"));
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_GRAB_STATUS, WM_GRAB_STATUS, PM_REMOVE));
    std::vector<std::string> texts;
    GrabStatus r;
    while (grab.PopStatus(r))
        texts.push_back(r.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Start text", "Label..   Read 3 Bytes", "Done text"}));
    ASSERT_TRUE(grab.DownloadToFile(Url("/f").c_str(), dest, "Start text", "Done text", "Tasvrin", nullptr, "Label"));
    grab.ClearStatus();
    EXPECT_FALSE(grab.PopStatus(r));
    EXPECT_EQ(window.messages, 0);
}

TEST_F(Fetcher, WindowThatLagsGetsLatestProgressAndOneMessagePerRecord)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/f", Answer::Generated(400000));
    nettest::AlignToSecond();
    CWebGrab grab;
    // On the window's own thread: nothing is taken until the transfer has ended.
    ASSERT_TRUE(
        grab.DownloadToFile(Url("/f").c_str(), dest, "Start text", "Done text", "Tasvrin", window.Handle(), "Label"));
    PumpPendingMessages();
    ASSERT_EQ(window.records.size(), 3u);
    EXPECT_EQ(window.records[0].text, "Start text");
    EXPECT_EQ(window.records[1].kind, 1);
    EXPECT_EQ(window.records[1].text, "Label..   Read 400000 Bytes");
    EXPECT_EQ(window.records[2].text, "Done text");
    EXPECT_EQ(window.messages, 3);
    EXPECT_EQ(nettest::ReadAll(dest).size(), 400000u);
}

TEST_F(Fetcher, NewBodyReplacesOldFile)
{
    ASSERT_TRUE(server.Listening());
    ASSERT_TRUE(harness::WriteFileBytes(dest, "old contents"));
    server.Script("/f", Answer::Text("new contents, longer than the old"));
    CWebGrab grab;
    ASSERT_TRUE(Fetch(grab, Url("/f"), dest, window));
    EXPECT_EQ(nettest::ReadAll(dest), "new contents, longer than the old");
    ExpectNoTemp();
}

// Every failure leaves an existing destination as it was and no temporary file.
struct FailureCase {
    const char* name;
    Answer answer;
    bool stop;
};

TEST_F(Fetcher, FailuresKeepTheOldFile)
{
    ASSERT_TRUE(server.Listening());
    const std::vector<FailureCase> cases = {
        {"404 with a body", Answer::Status(404, "<html>not here</html>"), false},
        {"500 with a body", Answer::Status(500, "<html>server error</html>"), false},
        {"302 without a target", Answer::Status(302, "moved"), false},
        {"body cut in the middle", Answer::Cut(standin::PatternBody(100000), 50000), false},
        {"stop flag", Answer::Generated(100000), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(harness::WriteFileBytes(dest, "old contents"));
        server.Script("/f", c.answer);
        CWebGrab grab;
        grab.SetStopFlag(c.stop ? 1 : 0);
        EXPECT_FALSE(Fetch(grab, Url("/f"), dest, window));
        EXPECT_EQ(nettest::ReadAll(dest), "old contents");
        ExpectNoTemp();
    }
}

TEST_F(Fetcher, UnreachableServerKeepsOldFileAndQueuesStartOnly)
{
    unsigned short port = 0;
    {
        standin::StandinServer gone("127.0.0.1");
        port = gone.Port();
    }
    ASSERT_TRUE(harness::WriteFileBytes(dest, "old contents"));
    CWebGrab grab;
    EXPECT_FALSE(Fetch(grab, "http://127.0.0.1:" + std::to_string(port) + "/f", dest, window));
    EXPECT_EQ(nettest::ReadAll(dest), "old contents");
    ASSERT_EQ(window.records.size(), 1u);
    EXPECT_EQ(window.records[0].text, "Start text");
    ExpectNoTemp();
}

TEST_F(Fetcher, FailedReplaceKeepsOldFile)
{
    ASSERT_TRUE(server.Listening());
    ASSERT_TRUE(harness::WriteFileBytes(dest, "old contents"));
    server.Script("/f", Answer::Text("new contents"));
    // Held open without delete sharing, the destination cannot be replaced.
    UniqueFile held(::CreateFileA(dest.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    CWebGrab grab;
    EXPECT_FALSE(Fetch(grab, Url("/f"), dest, window));
    held.Reset();
    EXPECT_EQ(nettest::ReadAll(dest), "old contents");
    ExpectNoTemp();
    for (const auto& r : window.records)
        EXPECT_NE(r.text, "Done text");
}

TEST_F(Fetcher, TemporaryFileThatCannotBeMadeIsReported)
{
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    CWebGrab grab;
    EXPECT_FALSE(Fetch(grab, Url("/f"), dir.File("no such folder\\tool.exe"), window));
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "can not open file to save..");
    EXPECT_EQ(boxes.Seen()[0].caption, "Tasvrin");
    EXPECT_TRUE(window.records.empty());
    EXPECT_EQ(server.Requests().size(), 0u);
}

TEST_F(Fetcher, LaterTransfersKeepTheFirstAgent)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/f", Answer::Text("x"));
    CWebGrab grab;
    ASSERT_TRUE(Fetch(grab, Url("/f"), dest, window, "FirstAgent"));
    ASSERT_TRUE(Fetch(grab, Url("/f"), dest, window, "SecondAgent"));
    const auto requests = server.RequestsFor("/f");
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Agent(), "FirstAgent");
    EXPECT_EQ(requests[1].Agent(), "FirstAgent");
    // A fresh copy each time: the cache is not asked.
    EXPECT_EQ(requests[1].method, "GET");
}

} // namespace

namespace
{

TEST(FetcherTimeout, SilentServerEndsTheTransfer)
{
    auto server = std::make_unique<standin::StandinServer>("127.0.0.1");
    ASSERT_TRUE(server->Listening());
    // Half the body, then silence with the connection left open.
    server->Script("/f", standin::Answer::Stall(standin::PatternBody(20000), 10000));
    harness::TempDir dir;
    const std::string dest = dir.File("tool.exe");
    ASSERT_TRUE(harness::WriteFileBytes(dest, "old contents"));
    std::atomic<bool> done{false};
    bool result = true;
    std::thread t([&] {
        CWebGrab grab;
        result = grab.DownloadToFile((server->Base() + "/f").c_str(), dest, "s", "d", "Tasvrin", nullptr, "L");
        done = true;
    });
    // Bounded by the 30 s receive time-out of transfers; without one it would wait for ever.
    const bool ended = harness::PumpUntil([&] { return done.load(); }, 60000);
    if (!ended)
        server.reset(); // ends the stall so that the thread can be joined
    t.join();
    ASSERT_TRUE(ended);
    EXPECT_FALSE(result);
    EXPECT_EQ(nettest::ReadAll(dest), "old contents");
    EXPECT_FALSE(nettest::Exists(dest + ".tmp"));
}

} // namespace
