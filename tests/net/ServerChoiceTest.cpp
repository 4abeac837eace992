#include "NetFixture.h"
#include "app/Globals.h"
#include "net/UpdateCheck.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using standin::Answer;

namespace
{

struct ChoiceCase {
    const char* name;
    bool hostListUp;
    Answer hostList;
    Answer namedAlive;
    Answer cdnAlive;
    // Which server's base is chosen: "named", "cdn" or "fallback"; and how many alive probes each got.
    std::string chosen;
    size_t namedProbes, cdnProbes;
};

TEST(ServerChoice, FirstLiveCandidateWins)
{
    const Answer ok = Answer::Text("ok");
    const Answer dead = Answer::Status(404, "<html>gone</html>");
    const std::vector<ChoiceCase> cases = {
        {"host-list host alive", true, Answer::Text(" 127.0.0.5 \r\n"), ok, ok, "named", 1, 0},
        {"host-list host alive, answer with more", true, Answer::Text("127.0.0.5"), Answer::Text("okay"), ok, "named",
         1, 0},
        {"host-list host dead, CDN alive", true, Answer::Text("127.0.0.5"), dead, ok, "cdn", 1, 1},
        {"both dead: fallback, unprobed", true, Answer::Text("127.0.0.5"), dead, dead, "fallback", 1, 1},
        {"upper-case OK is not alive", true, Answer::Text("127.0.0.5"), Answer::Text("OK"), Answer::Text("OK"),
         "fallback", 1, 1},
        {"empty host list, CDN alive", true, Answer::Text(""), ok, ok, "cdn", 0, 1},
        {"empty host list, CDN dead: probed twice", true, Answer::Text(""), ok, dead, "fallback", 0, 2},
        // The error page stands in for a host name; no such host answers, so the CDN is probed.
        {"host-list file missing", true, Answer::Status(404, "<html><body>404 Not Found</body></html>"), ok, ok, "cdn",
         0, 1},
        {"host-list server down", false, Answer::Text(""), ok, ok, "cdn", 0, 1},
        {"host-list server down, CDN dead", false, Answer::Text(""), ok, dead, "fallback", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nettest::ServerSet s;
        ASSERT_TRUE(s.ok);
        s.Aim();
        if (!c.hostListUp)
            s.hosts.reset();
        else
            s.hosts->Script("/host.txt", c.hostList);
        s.named->Script("/php/alive.php", c.namedAlive);
        s.cdn->Script("/php/alive.php", c.cdnAlive);
        s.fallback->Script("/php/alive.php", Answer::Text("ok"));
        g_strServerBase = "http://left.over.example";
        SelectUpdateServer();
        const std::string expected = c.chosen == "named" ? s.named->Base()
                                     : c.chosen == "cdn" ? s.cdn->Base()
                                                         : s.fallback->Base();
        EXPECT_EQ(g_strServerBase, expected);
        EXPECT_EQ(s.named->CountFor("/php/alive.php"), c.namedProbes);
        EXPECT_EQ(s.cdn->CountFor("/php/alive.php"), c.cdnProbes);
        EXPECT_EQ(s.fallback->Requests().size(), 0u);
        // The host list and the probes name the program alone.
        std::vector<standin::Request> all = s.named->Requests();
        for (auto* srv : {s.cdn.get(), s.hosts.get()})
            if (srv)
                for (const auto& r : srv->Requests())
                    all.push_back(r);
        for (const auto& r : all)
            EXPECT_EQ(r.Agent(), "Tasvrin") << r.path;
        if (s.hosts)
            EXPECT_EQ(s.hosts->CountFor("/host.txt"), 1u);
    }
}

TEST(ServerChoice, CdnHostIsReplacedWithoutSchemeOrPort)
{
    nettest::ServerSet s;
    ASSERT_TRUE(s.ok);
    s.Aim();
    s.hosts->Script("/host.txt", Answer::Text("127.0.0.5"));
    s.named->Script("/php/alive.php", Answer::Text("ok"));
    SelectUpdateServer();
    // Same scheme and port as the CDN base, only the host differs.
    EXPECT_EQ(g_strServerBase, "http://127.0.0.5:" + std::to_string(s.cdn->Port()));
}

TEST(ServerChoice, AliveProbeNeedsLowerCaseOk)
{
    standin::StandinServer server("127.0.0.1");
    ASSERT_TRUE(server.Listening());
    g_strServerBase = server.Base();
    const std::vector<std::pair<std::string, bool>> cases = {
        {"ok", true},   {"okay then", true}, {"OK", false},
        {"Ok", false},  {"o", false},        {"", false},
        {" ok", false}, {"ok\xFF", false},   {std::string(1024, 'k').replace(0, 2, "ok"), false},
    };
    for (const auto& [answer, alive] : cases) {
        SCOPED_TRACE(answer.substr(0, 20));
        server.Script("/php/alive.php", Answer::Text(answer));
        EXPECT_EQ(IsServerAlive(), alive);
    }
    server.Script("/php/alive.php", Answer::Status(500, "ok"));
    EXPECT_FALSE(IsServerAlive()) << "an error page that begins with ok";
    for (const auto& r : server.Requests())
        EXPECT_EQ(r.Agent(), "Tasvrin");
}

TEST(ServerChoice, HangingServersDoNotHoldStartUp)
{
    auto s = std::make_unique<nettest::ServerSet>();
    ASSERT_TRUE(s->ok);
    s->Aim();
    s->hosts->Script("/host.txt", Answer::Hang());
    s->cdn->Script("/php/alive.php", Answer::Hang());
    std::atomic<bool> done{false};
    std::thread t([&] {
        SelectUpdateServer();
        done = true;
    });
    // Two requests, each bounded by the short-request time-outs (5 s); generous slack for a busy machine.
    const bool ended = harness::PumpUntil([&] { return done.load(); }, 40000);
    const std::string fallback = s->fallback->Base();
    if (!ended)
        s.reset(); // ends the hangs so that the thread can be joined
    t.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(g_strServerBase, fallback);
}

struct ReleaseCase {
    const char* name;
    std::string answer;
    bool accepted;
    SYSTEMTIME time;
    std::string url;
};

TEST(ReleaseQuery, AnswersAreValidated)
{
    standin::StandinServer server("127.0.0.1");
    ASSERT_TRUE(server.Listening());
    const std::string path = "/php/CheckUpdateFile/zoz2.php";
    auto at = [](WORD y, WORD mo, WORD d, WORD h, WORD mi) {
        SYSTEMTIME t{};
        t.wYear = y;
        t.wMonth = mo;
        t.wDay = d;
        t.wHour = h;
        t.wMinute = mi;
        return t;
    };
    const std::vector<ReleaseCase> cases = {
        {"full answer", "2024|1|15|10|30|http://h/y.exe", true, at(2024, 1, 15, 10, 30), "http://h/y.exe"},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "2024|1|15|10|30|u",
         true, at(2024, 1, 15, 10, 30), "u"},
        {"no sixth field", "2024|1|15|10|30", true, at(2024, 1, 15, 10, 30), ""},
        {"space and sign", " 2024| +2|03x|0|59|u", true, at(2024, 2, 3, 0, 59), "u"},
        {"limits", "1970|12|31|23|0|u", true, at(1970, 12, 31, 23, 0), "u"},
        {"month 13", "2024|13|15|10|30|u", false, {}, ""},
        {"month 0", "2024|0|15|10|30|u", false, {}, ""},
        {"day 32", "2024|1|32|10|30|u", false, {}, ""},
        {"hour 24", "2024|1|15|24|30|u", false, {}, ""},
        {"minute 60", "2024|1|15|10|60|u", false, {}, ""},
        {"year 1969", "1969|1|15|10|30|u", false, {}, ""},
        {"year 3001", "3001|1|15|10|30|u", false, {}, ""},
        {"text", "not a date", false, {}, ""},
        {"empty", "", false, {}, ""},
        {"0xFF", "2024|1|15|10|30|\xFF", false, {}, ""},
        {"too long", "2024|1|15|10|30|" + std::string(1100, 'u'), false, {}, ""},
    };
    server.Script(path, Answer::Status(404, "2024|1|15|10|30|u"));
    std::string ignored;
    SYSTEMTIME when{};
    EXPECT_FALSE(QueryToolRelease(server.Base() + path, ignored, when)) << "an error page with a valid date";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.Script(path, Answer::Text(c.answer));
        std::string url = "unchanged";
        SYSTEMTIME t{};
        EXPECT_EQ(QueryToolRelease(server.Base() + path, url, t), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(url, c.url);
            EXPECT_EQ(t.wYear, c.time.wYear);
            EXPECT_EQ(t.wMonth, c.time.wMonth);
            EXPECT_EQ(t.wDay, c.time.wDay);
            EXPECT_EQ(t.wHour, c.time.wHour);
            EXPECT_EQ(t.wMinute, c.time.wMinute);
            EXPECT_EQ(t.wSecond, 0);
        }
    }
    for (const auto& r : server.Requests())
        EXPECT_EQ(r.Agent(), "Tasvrin10.9");
}

TEST(ReleaseQuery, UnreachableServerGivesFalse)
{
    unsigned short port = 0;
    {
        standin::StandinServer gone("127.0.0.1");
        port = gone.Port();
    }
    std::string url;
    SYSTEMTIME t{};
    EXPECT_FALSE(QueryToolRelease("http://127.0.0.1:" + std::to_string(port) + "/x", url, t));
}

} // namespace
