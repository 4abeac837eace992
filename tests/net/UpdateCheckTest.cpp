#include "net/UpdateCheck.h"
#include "NetFixture.h"
#include "app/Globals.h"
#include "app/ShellOpen.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

using standin::Answer;

namespace
{

// Records which handler the check chose and with what.
class RecordingCheck : public CUpdateCheck
{
public:
    RecordingCheck() : CUpdateCheck(1) {}
    std::string outcome = "none";
    DWORD ownHigh = 0, ownLow = 0, newHigh = 0, newLow = 0;
    std::string url, mandatory;

protected:
    void OnUpdateAvailable(DWORD oh, DWORD ol, DWORD nh, DWORD nl, const std::string& u, const std::string& m) override
    {
        outcome = "available";
        ownHigh = oh;
        ownLow = ol;
        newHigh = nh;
        newLow = nl;
        url = u;
        mandatory = m;
    }
    void OnUpToDate(DWORD oh, DWORD) override
    {
        outcome = "uptodate";
        ownHigh = oh;
    }
    void OnCheckError(DWORD oh, DWORD) override
    {
        outcome = "error";
        ownHigh = oh;
    }
};

// Collects what the program hands to the shell, instead of starting a browser.
class ShellWatch
{
public:
    ShellWatch()
    {
        SetShellOpenHook([this](const std::string& verb, const std::string& target) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_opened.push_back(target);
            return true;
        });
    }
    ~ShellWatch() { SetShellOpenHook({}); }
    std::vector<std::string> Opened()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_opened;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_opened;
};

class UpdateCheck : public ::testing::Test
{
protected:
    standin::StandinServer server{"127.0.0.1"};
    std::string Url() const { return server.Base() + "/php/update.php"; }
};

TEST_F(UpdateCheck, OwnVersionComesFromTheVersionResource)
{
    DWORD high = 0, low = 0;
    ASSERT_TRUE(GetOwnVersion(high, low));
    EXPECT_EQ(high, 0x000B0001u);
    EXPECT_EQ(low, 0u);
}

TEST_F(UpdateCheck, RequestCarriesVersionAndAgent)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/php/update.php", Answer::Text("11|1|http://x/|no"));
    RecordingCheck check;
    check.Check(Url());
    const auto requests = server.RequestsFor("/php/update.php");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].query, "m=b0001&s=0");
    EXPECT_EQ(requests[0].Agent(), "Tasvrin10.9");
    EXPECT_EQ(requests[0].method, "GET");
}

struct AnswerCase {
    const char* name;
    std::string answer;
    std::string outcome;
    DWORD newHigh;
    std::string url;
    std::string mandatory;
};

TEST_F(UpdateCheck, AnswersChooseTheHandler)
{
    ASSERT_TRUE(server.Listening());
    const std::string longUrl = "http://x/" + std::string(1023 - 16, 'a');
    const std::vector<AnswerCase> cases = {
        {"newer minor", "11|2|http://x/info|no", "available", 0x000B0002, "http://x/info", "no"},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "11|2|http://x/info|no",
         "available", 0x000B0002, "http://x/info", "no"},
        {"newer major", "12|0|u|yes", "available", 0x000C0000, "u", "yes"},
        {"major 0 takes the next number", "0|12|u|no", "available", 0x000C000C, "u", "no"},
        {"all zero", "0|0|u|no", "uptodate", 0, "", ""},
        {"equal version", "11|1|u|no", "uptodate", 0, "", ""},
        {"older version", "10|9|u|no", "uptodate", 0, "", ""},
        {"fields missing", "11|2", "available", 0x000B0002, "", ""},
        {"exactly 1,023 bytes", "11|2|" + longUrl.substr(0, 1023 - 8) + "|no", "available", 0x000B0002,
         longUrl.substr(0, 1023 - 8), "no"},
        {"1,024 bytes", "11|2|" + longUrl.substr(0, 1024 - 8) + "|no", "none", 0, "", ""},
        {"byte 0xFF", "11|2|http://x/\xFF|no", "none", 0, "", ""},
        {"empty", "", "error", 0, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.Script("/php/update.php", Answer::Text(c.answer));
        RecordingCheck check;
        check.Check(Url());
        EXPECT_EQ(check.outcome, c.outcome);
        if (c.outcome == "available") {
            EXPECT_EQ(check.ownHigh, 0x000B0001u);
            EXPECT_EQ(check.ownLow, 0u);
            EXPECT_EQ(check.newHigh, c.newHigh);
            EXPECT_EQ(check.newLow, 0u);
            EXPECT_EQ(check.url, c.url);
            EXPECT_EQ(check.mandatory, c.mandatory);
        }
    }
}

TEST_F(UpdateCheck, ErrorStatusIsACheckErrorWhateverTheBody)
{
    ASSERT_TRUE(server.Listening());
    for (int status : {404, 500, 302}) {
        SCOPED_TRACE(status);
        // Bodies that would announce an update, or say up to date, if they were read as answers.
        server.Script("/php/update.php", Answer::Status(status, "12|0|http://x/|no"));
        RecordingCheck check;
        check.Check(Url());
        EXPECT_EQ(check.outcome, "error");
        server.Script("/php/update.php", Answer::Status(status, "<html><body>Not Found</body></html>"));
        RecordingCheck second;
        second.Check(Url());
        EXPECT_EQ(second.outcome, "error");
    }
}

TEST_F(UpdateCheck, UnreachableServerIsACheckError)
{
    unsigned short port = 0;
    {
        standin::StandinServer gone("127.0.0.1");
        port = gone.Port();
    }
    RecordingCheck check;
    check.Check("http://127.0.0.1:" + std::to_string(port) + "/php/update.php");
    EXPECT_EQ(check.outcome, "error");
}

// The messages the user sees, silent and interactive.
struct BoxCase {
    const char* name;
    std::string answer;
    int interactive;
    std::vector<std::string> boxes;
};

TEST_F(UpdateCheck, MessagesShownToTheUser)
{
    ASSERT_TRUE(server.Listening());
    const std::string question = "You currently use version 11.1 of this program. The newest version 11.2 is "
                                 "available online for Free. Do you want to see more information?";
    const std::vector<BoxCase> cases = {
        {"newer, silent", "11|2|http://x/info|no", 0, {question}},
        {"newer, interactive", "11|2|http://x/info|no", 1, {question}},
        {"up to date, interactive", "11|1|u|no", 1, {"You already have the latest version installed."}},
        {"up to date, silent", "11|1|u|no", 0, {}},
        {"empty, interactive", "", 1, {"Unable to check for updates."}},
        {"empty, silent", "", 0, {}},
        {"too long, interactive", std::string(1100, '1'), 1, {}},
        {"0xFF, interactive", "11|2|\xFF", 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.Script("/php/update.php", Answer::Text(c.answer));
        ShellWatch shell;
        harness::BoxResponder boxes;
        boxes.SetFallback(IDNO);
        boxes.Rule("latest version", IDOK);
        boxes.Rule("Unable", IDOK);
        CUpdateCheck check(c.interactive);
        check.Check(Url());
        std::vector<std::string> texts;
        for (const auto& b : boxes.Seen()) {
            texts.push_back(b.text);
            EXPECT_EQ(b.caption, "Tasvrin");
            EXPECT_EQ(b.owner, nullptr);
        }
        EXPECT_EQ(texts, c.boxes);
        // Answered No: nothing is opened.
        EXPECT_TRUE(shell.Opened().empty());
    }
}

TEST_F(UpdateCheck, YesOpensOnlyWebAddresses)
{
    ASSERT_TRUE(server.Listening());
    struct UrlCase {
        std::string url;
        bool opened;
    };
    const std::vector<UrlCase> cases = {
        {"http://127.0.0.1/info.html", true},
        {"https://example.com/new", true},
        {"HTTP://127.0.0.1/upper", true},
        {"file:///C:/windows/system32/calc.exe", false},
        {"\\\\host\\share\\x.exe", false},
        {"ms-msdt:/id PCWDiagnostic", false},
        {"calc.exe", false},
        {"C:\\windows\\notepad.exe", false},
        {"http://", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        server.Script("/php/update.php", Answer::Text("11|2|" + c.url + "|no"));
        ShellWatch shell;
        harness::BoxResponder boxes;
        boxes.SetFallback(IDYES);
        CUpdateCheck check(1);
        check.Check(Url());
        ASSERT_EQ(boxes.Seen().size(), 1u);
        EXPECT_EQ(shell.Opened(), c.opened ? std::vector<std::string>{c.url} : std::vector<std::string>{});
    }
}

TEST(UpdateCheckTimeout, HangingServerEndsTheCheck)
{
    auto server = std::make_unique<standin::StandinServer>("127.0.0.1");
    ASSERT_TRUE(server->Listening());
    server->Script("/php/update.php", Answer::Hang());
    const std::string url = server->Base() + "/php/update.php";
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    std::atomic<bool> done{false};
    std::thread t([&] {
        CUpdateCheck check(1);
        check.Check(url);
        done = true;
    });
    // Bounded by the receive time-out of short requests; without one it would wait for ever.
    const bool ended = harness::PumpUntil([&] { return done.load(); }, 30000);
    if (!ended)
        server.reset(); // ends the hang so that the thread can be joined
    t.join();
    ASSERT_TRUE(ended);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, "Unable to check for updates.");
}

TEST_F(UpdateCheck, UpdateButtonThreadAsksTheQuestion)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/php/update.php", Answer::Text("11|2|http://x/info|no"));
    g_strServerBase = server.Base();
    harness::BoxResponder boxes;
    boxes.SetFallback(IDNO);
    StartInteractiveUpdateCheck();
    ASSERT_TRUE(boxes.WaitForCount(1, 20000));
    EXPECT_NE(boxes.Seen()[0].text.find("The newest version 11.2"), std::string::npos);
}

TEST_F(UpdateCheck, StartupThreadChecksSilentlyAfterItsWait)
{
    ASSERT_TRUE(server.Listening());
    server.Script("/php/update.php", Answer::Text("11|1|u|no"));
    g_strServerBase = server.Base();
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    StartStartupUpdateCheck();
    ::Sleep(2000);
    EXPECT_EQ(server.CountFor("/php/update.php"), 0u) << "the start-up check waits before asking";
    ASSERT_TRUE(server.WaitForRequests(1, 30000, "/php/update.php"));
    EXPECT_EQ(server.RequestsFor("/php/update.php")[0].query, "m=b0001&s=0");
    harness::PumpFor(500);
    EXPECT_TRUE(boxes.Seen().empty());
}

// A mandatory update ends the program; it runs in a child process of this test program.
std::string ChildResultPath()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "tasvrin-mandatory-child.txt";
}

TEST(UpdateCheckChild, DISABLED_MandatoryRun)
{
    char url[2048] = {};
    ASSERT_GT(::GetEnvironmentVariableA("TASVRIN_CHILD_URL", url, sizeof url), 0u);
    SetShellOpenHook([](const std::string&, const std::string& target) {
        harness::WriteFileBytes(ChildResultPath(), "opened:" + target + "\n");
        return true;
    });
    CUpdateCheck check(0);
    check.Check(url);
    // Reached only when the check did not end the process.
}

// The message boxes of another process, found and answered with OK.
struct ChildBoxes {
    DWORD pid;
    std::vector<HWND> answered;
    std::vector<std::string> texts;
};

BOOL CALLBACK AnswerChildBox(HWND hwnd, LPARAM l)
{
    auto* boxes = reinterpret_cast<ChildBoxes*>(l);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof cls);
    HWND text = ::GetDlgItem(hwnd, 0xFFFF);
    if (pid != boxes->pid || std::string(cls) != "#32770" || !text || !::IsWindowVisible(hwnd) ||
        std::find(boxes->answered.begin(), boxes->answered.end(), hwnd) != boxes->answered.end())
        return TRUE;
    boxes->answered.push_back(hwnd);
    boxes->texts.push_back(harness::Text(hwnd) + ": " + harness::Text(text));
    harness::Box box;
    box.hwnd = hwnd;
    harness::Answer(box, IDOK);
    return TRUE;
}

// Runs the check in a child process; answers its boxes; returns its exit code.
int RunChild(const std::string& updateUrl, std::vector<std::string>& boxTexts)
{
    ::DeleteFileA(ChildResultPath().c_str());
    ::SetEnvironmentVariableA("TASVRIN_CHILD_URL", updateUrl.c_str());
    char exe[MAX_PATH];
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string cmd = std::string("\"") + exe +
                      "\" --gtest_filter=UpdateCheckChild.DISABLED_MandatoryRun --gtest_also_run_disabled_tests";
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    ChildBoxes boxes{pi.dwProcessId, {}, {}};
    const ULONGLONG end = ::GetTickCount64() + 60000;
    while (::WaitForSingleObject(pi.hProcess, 20) == WAIT_TIMEOUT) {
        ::EnumWindows(&AnswerChildBox, reinterpret_cast<LPARAM>(&boxes));
        if (::GetTickCount64() > end) {
            ::TerminateProcess(pi.hProcess, 99);
            return -2;
        }
    }
    boxTexts = boxes.texts;
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    return static_cast<int>(code);
}

TEST_F(UpdateCheck, MandatoryUpdateTellsOpensAndExits)
{
    ASSERT_TRUE(server.Listening());
    const std::string expired = "Tasvrin: This version has expired, please upgrade to the latest version. Exiting..";
    struct ChildCase {
        std::string url;
        bool opened;
    };
    const std::vector<ChildCase> cases = {
        {"http://127.0.0.1/upgrade.html", true},
        {"file:///C:/windows/notepad.exe", false},
        {"\\\\host\\share\\x.exe", false},
        {"ms-msdt:/id PCWDiagnostic", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        server.Script("/php/update.php", Answer::Text("12|0|" + c.url + "|yes"));
        std::vector<std::string> boxes;
        EXPECT_EQ(RunChild(Url(), boxes), 1);
        EXPECT_EQ(boxes, std::vector<std::string>{expired});
        const auto result = harness::ReadFileBytes(ChildResultPath());
        if (c.opened) {
            ASSERT_TRUE(result.has_value());
            EXPECT_EQ(*result, "opened:" + c.url + "\n");
        } else {
            EXPECT_FALSE(result.has_value());
        }
    }
    ::DeleteFileA(ChildResultPath().c_str());
}

} // namespace
