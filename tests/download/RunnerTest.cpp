// One engine pass against the stand-in engine: title query, start, output reading, the end of the
// pass, cancel, and how the user's input reaches the engine.
#include "DownloadFixture.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "download/EngineCommand.h"
#include "download/EngineRunner.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace dltest;

namespace
{

constexpr int kSlot = 3;

struct PassResult {
    int result = 0;
    std::vector<Posted> messages;
};

// Takes the slot as the Download command would and runs one pass on a worker-like thread, pumping
// this thread meanwhile.
class Runner
{
public:
    Collector window;
    JobParam job{nullptr, kSlot};

    Runner() { job.hwndPage = window.Handle(); }
    CWebGrab& Slot() const { return g_DownloadSlots[kSlot]; }
    void Take(const std::string& input, int passKind = PASS_AUDIO)
    {
        Slot().m_bInUse = 1;
        Slot().m_strUrl = input;
        Slot().SetTitle({});
        Slot().SetStopFlag(0);
        Slot().m_nPassKind = passKind;
    }
    std::future<int> Start(PassOptions options)
    {
        const std::string line = BuildPassCommand(options, Slot().m_strUrl);
        const JobParam copy = job;
        return RunAsync([copy, line] { return RunEngine(copy, line); });
    }
    int Run(PassOptions options = PassOptions::Mp3)
    {
        auto future = Start(options);
        harness::PumpUntil([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                           60000);
        harness::PumpFor(50);
        Slot().m_bInUse = 0;
        return future.get();
    }
};

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> AfterMarker(const EngineCall& call)
{
    auto it = std::find(call.args.begin(), call.args.end(), std::string("--"));
    if (it == call.args.end())
        return {};
    return std::vector<std::string>(it + 1, call.args.end());
}

TEST(EnginePass, Mp3PassFetchesTheTitleThenDownloadsAndEndsWithMinusOne)
{
    EngineSetup setup;
    Runner runner;
    runner.Take("http://127.0.0.1:8731/Demo%20Song.mp4");
    EXPECT_EQ(runner.Run(), 1);

    const auto messages = runner.window.Messages();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_EQ(messages[0].msg, WM_JOB_PROGRESS);
    EXPECT_EQ(messages[0].text, "Wait, Fetching Video Title..");
    EXPECT_EQ(messages[1].msg, WM_JOB_STARTED);
    for (const Posted& p : messages)
        EXPECT_EQ(p.l, kSlot);
    const auto progress = runner.window.Progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.back(), -1);
    EXPECT_EQ(std::count(progress.begin(), progress.end(), -1), 1);

    EXPECT_EQ(runner.Slot().GetTitle(), "Demo Song");
    EXPECT_NE(runner.Slot().m_dwEnginePid.load(), 0u);
    EXPECT_TRUE(FileExists(setup.Save() + "\\Demo Song.mp3"));
    EXPECT_FALSE(FileExists(setup.Save() + "\\Demo Song.mp4")); // the engine deleted its source file
    const auto log = harness::ReadFileBytes(g_strAppDir + "\\e.dat");
    ASSERT_TRUE(log.has_value());
    EXPECT_NE(log->find("[ExtractAudio] Destination: Demo Song.mp3"), std::string::npos);
    EXPECT_EQ(setup.Calls().size(), 2u); // title query, then the pass
}

TEST(EnginePass, ProgressIsSpacedBy600MillisecondsAndTheEndIsNotThrottled)
{
    EngineSetup setup(true, "1");
    setup.WriteTranscript("spaced",
                          {{0, "\r[download]  12.5% of    3.31MiB"}, {900, "\r[download] 100.0% of    3.31MiB"}});
    setup.WriteTranscript("close",
                          {{0, "\r[download]  12.5% of    3.31MiB"}, {100, "\r[download]  50.0% of    3.31MiB"}});
    struct Case {
        const char* input;
        std::vector<int> progress;
    } cases[] = {
        {"http://h/a?mp3=spaced&title=title-ok", {125, 1000, -1}},
        {"http://h/b?mp3=close&title=title-ok", {125, -1}},
    };
    for (const Case& c : cases) {
        Runner runner;
        runner.Take(c.input);
        EXPECT_EQ(runner.Run(), 1) << c.input;
        EXPECT_EQ(runner.window.Progress(), c.progress) << c.input;
    }
}

TEST(EnginePass, AlreadyDownloadedIsSuccessWithOneEndMessage)
{
    EngineSetup setup;
    for (const char* crlf : {"0", "1"}) {
        ::SetEnvironmentVariableA("TASVRIN_ENGINE_CRLF", crlf);
        Runner runner;
        runner.Take("http://h/Demo%20Song.mp4?mp3=mp3-already");
        EXPECT_EQ(runner.Run(), 1);
        EXPECT_EQ(runner.window.Progress(), (std::vector<int>{-1}));
        EXPECT_EQ(runner.Slot().GetTitle(), "Demo Song") << "line ends CR LF: " << crlf;
    }
}

TEST(EnginePass, TitleFallsBackToTheInputAndASecondPassReusesAFoundTitle)
{
    EngineSetup setup;
    {
        // Only error lines: the title is the input itself.
        Runner runner;
        runner.Take("http://h/x.mp4?title=title-refused");
        EXPECT_EQ(runner.Run(), 1);
        EXPECT_EQ(runner.Slot().GetTitle(), "http://h/x.mp4?title=title-refused");
    }
    {
        // A found title is reused: no query, no fetching text.
        Runner runner;
        runner.Take("http://h/Demo.mp4", PASS_VIDEO);
        runner.Slot().SetTitle("Found Before");
        const size_t before = setup.Calls().size();
        EXPECT_EQ(runner.Run(PassOptions::VideoPlain), 1);
        EXPECT_EQ(setup.Calls().size(), before + 1);
        EXPECT_EQ(runner.window.Messages().front().msg, WM_JOB_STARTED);
        EXPECT_EQ(runner.Slot().GetTitle(), "Found Before");
    }
    {
        // A playlist address that is not a mix has no query and takes the input as title.
        Runner runner;
        runner.Take("http://h/watch?v=a&list=PLabc");
        const size_t before = setup.Calls().size();
        EXPECT_EQ(runner.Run(), 1);
        EXPECT_EQ(setup.Calls().size(), before + 1);
        EXPECT_EQ(runner.Slot().GetTitle(), "http://h/watch?v=a&list=PLabc");
    }
}

TEST(EnginePass, SignInRefusalStopsBeforeTheEngineStarts)
{
    EngineSetup setup;
    harness::BoxResponder boxes;
    boxes.SetFallback(IDOK);
    Runner runner;
    runner.Take("http://h/watch?v=dQw4w9WgXcQ&title=title-sign-in");
    EXPECT_EQ(runner.Run(), -1);
    ASSERT_TRUE(boxes.WaitForCount(1));
    EXPECT_EQ(boxes.Seen()[0].text, "YouTube Ban Your IP address. Download failed. Try Switch your IP.");
    EXPECT_EQ(boxes.Seen()[0].caption, g_strAppName);
    EXPECT_FALSE(runner.window.Has(WM_JOB_STARTED));
    EXPECT_EQ(setup.Calls().size(), 1u);
}

TEST(EnginePass, StopSendsCtrlCAndEndsTheEngineAndItsChild)
{
    EngineSetup setup;
    harness::BoxResponder boxes; // answered by hand below
    Runner runner;
    runner.Take("http://h/Demo.mp4?hold=1&child=1");
    auto future = runner.Start(PassOptions::Mp3);
    ASSERT_TRUE(harness::PumpUntil([&] { return runner.window.Has(WM_JOB_STARTED); }, 30000));
    const DWORD engine = runner.Slot().m_dwEnginePid.load();
    runner.Slot().SetStopFlag(1);
    const auto box = harness::WaitForBox(g_strAppName, 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, "canceled by user.");
    // Ctrl+C reached the engine (and this program is still here to look).
    ASSERT_TRUE(harness::PumpUntil([&] { return setup.EngineLog().find("CTRL-C") != std::string::npos; }, 5000));
    DWORD child = 0;
    const std::string log = setup.EngineLog();
    const size_t at = log.find("CHILD ");
    ASSERT_NE(at, std::string::npos);
    child = std::stoul(log.substr(at + 6));
    EXPECT_TRUE(ProcessAlive(child));
    harness::Answer(*box, IDOK);
    ASSERT_TRUE(harness::PumpUntil(
        [&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 10000));
    EXPECT_EQ(future.get(), -1);
    EXPECT_TRUE(harness::PumpUntil([&] { return !ProcessAlive(engine) && !ProcessAlive(child); }, 2000));
    const auto progress = runner.window.Progress();
    EXPECT_EQ(std::count(progress.begin(), progress.end(), -1), 0);
    runner.Slot().m_bInUse = 0;
}

TEST(EnginePass, ProcessesTheEngineStartsEndWithThePass)
{
    EngineSetup setup;
    Runner runner;
    runner.Take("http://h/Demo.mp4?child=1");
    EXPECT_EQ(runner.Run(), 1);
    const std::string log = setup.EngineLog();
    const size_t at = log.find("CHILD ");
    ASSERT_NE(at, std::string::npos);
    const DWORD child = std::stoul(log.substr(at + 6));
    EXPECT_TRUE(harness::PumpUntil([&] { return !ProcessAlive(child); }, 2000));
}

TEST(EnginePass, UserInputReachesTheEngineAsOneArgumentAfterTheOptions)
{
    EngineSetup setup;
    const char* const inputs[] = {"--exec=calc", "-o C:\\x", "a \"b\" c",
                                  "x\\\\\"y",    "&|^%",     "Caf\xC3\xA9 \xE6\x9D\xB1\xE4\xBA\xAC",
                                  "best song"};
    for (const char* input : inputs) {
        for (PassOptions options : {PassOptions::Mp3, PassOptions::VideoPlain}) {
            const size_t before = setup.Calls().size();
            Runner runner;
            runner.Take(input, options == PassOptions::Mp3 ? PASS_AUDIO : PASS_VIDEO);
            runner.Run(options);
            const auto calls = setup.Calls();
            ASSERT_EQ(calls.size(), before + 2) << input; // title query and pass
            for (size_t i = before; i < calls.size(); ++i) {
                EXPECT_EQ(AfterMarker(calls[i]), std::vector<std::string>{input}) << calls[i].commandLine;
                EXPECT_EQ(calls[i].args.front().rfind("--", 0), 0u) << calls[i].commandLine; // options first
            }
            const auto& query = calls[before].args;
            EXPECT_NE(std::find(query.begin(), query.end(), "--get-title"), query.end());
            EXPECT_NE(std::find(query.begin(), query.end(), "ytsearch"), query.end());
            // Never an engine option made of the input.
            EXPECT_EQ(std::find(calls[before + 1].args.begin(), calls[before + 1].args.end(), "--exec=calc") + 1 ==
                          calls[before + 1].args.end(),
                      std::string(input) == "--exec=calc");
        }
    }
}

TEST(EnginePass, UnicodeTitleGivesFileAndSlotTitle)
{
    EngineSetup setup;
    const std::string title = "Caf\xC3\xA9 \xC3\x9C\xC3\xB1\xC3\xAF \xE6\x9D\xB1\xE4\xBA\xAC";
    setup.WriteTranscript("title-uni", {{10, title + "\n"}});
    setup.WriteTranscript("mp3-uni", {{10, "[download] Destination: " + title + ".mp4\n"},
                                      {20, "\r[download]  50.0% of    3.31MiB at  1.00MiB/s ETA 00:01"},
                                      {30, "\n[ExtractAudio] Destination: " + title + ".mp3\n"},
                                      {40, "Deleting original file " + title + ".mp4 (pass -k to keep)\n"}});
    Runner runner;
    runner.Take("http://h/u?title=title-uni&mp3=mp3-uni");
    EXPECT_EQ(runner.Run(), 1);
    EXPECT_EQ(runner.Slot().GetTitle(), title);
    EXPECT_TRUE(FileExists(setup.Save() + "\\" + title + ".mp3"));
}

TEST(TitleQuery, CapturesTheWholeOutput)
{
    EngineSetup setup;
    const std::string out = RunAndCapture(BuildTitleQuery("http://h/a?title=title-search-words"), 8000);
    EXPECT_EQ(out.find("ERROR: [generic] None: 'best' is not a valid URL."), 0u);
    EXPECT_NE(out.find("'song' is not a valid URL"), std::string::npos);
    EXPECT_EQ(RunAndCapture("\"" + setup.ToolFolder() + "\\missing.exe\" --get-title x", 8000), "");
}

} // namespace

namespace
{

// The job's passes follow the settings as they are when each pass is decided.
TEST(EngineJob, PassSequencesFollowTheSettings)
{
    struct Case {
        int type, alsoVideo, tv;
        std::vector<std::string> passes; // "mp3", "video", "tv"
    } cases[] = {
        {0, 0, 1, {"mp3"}},   {0, 1, 0, {"mp3", "video"}}, {0, 1, 1, {"mp3", "tv"}},
        {1, 1, 0, {"video"}}, {1, 0, 1, {"tv"}},           {7, 0, 0, {"mp3"}},
    };
    EngineSetup setup;
    for (const Case& c : cases) {
        g_nType = c.type;
        g_bDelVideoCheck = c.alsoVideo;
        g_bTvVideoCheck = c.tv;
        g_bToolsReady = 1; // the tool check has passed
        Runner runner;
        runner.Take("http://h/Demo%20Song.mp4?tv=video-ok&type=" + std::to_string(c.type));
        const size_t before = setup.Calls().size();
        const JobParam job = runner.job;
        auto future = RunAsync([job] { return RunJob(job); });
        harness::PumpUntil([&] { return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                           60000);
        EXPECT_EQ(future.get(), 1);
        runner.Slot().m_bInUse = 0;
        EXPECT_EQ(g_bToolsReady.load(), 0);
        std::vector<std::string> passes;
        const auto calls = setup.Calls();
        for (size_t i = before; i < calls.size(); ++i) {
            const std::string& line = calls[i].commandLine;
            if (line.find("--get-title") != std::string::npos)
                continue;
            passes.push_back(line.find(" -x ") != std::string::npos           ? "mp3"
                             : line.find("vcodec^=avc1") != std::string::npos ? "tv"
                                                                              : "video");
        }
        EXPECT_EQ(passes, c.passes) << "type " << c.type << " also video " << c.alsoVideo << " tv " << c.tv;
        // One title query per job: the second pass reuses the title.
        EXPECT_EQ(calls.size() - before, c.passes.size() + 1);
    }
    g_nType = 0;
    g_bDelVideoCheck = 0;
    g_bTvVideoCheck = 0;
}

} // namespace
