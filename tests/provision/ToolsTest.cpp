// Provisioning of the four tools against the stand-in update server, with the stand-in VC runtime
// installed in the prefix so that the runtime plays no part.
#include "ProvisionSupport.h"

#include "app/Globals.h"
#include "download/DownloadSlots.h"
#include "net/ToolProvisioning.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace provision;

namespace
{

const std::string kAgent = g_strAppName + g_strVersion;

class ToolProvisioning : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_runtime = std::make_unique<harness::ScopedProduct>(harness::VcRuntimeFile("runtime-3.msi"),
                                                             harness::kVcRuntimeCodes[2]);
    }
    static void TearDownTestSuite() { s_runtime.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(server.Listening());
        ASSERT_TRUE(s_runtime->Installed()) << "the stand-in runtime package did not install";
        ASSERT_TRUE(page.Open());
        boxes.SetFallback(IDOK);
    }

    void NewScene()
    {
        scene.reset();
        scene = std::make_unique<Scene>(server);
        boxes.Clear();
        page.texts.clear();
    }

    static std::unique_ptr<harness::ScopedProduct> s_runtime;
    standin::StandinServer server{"127.0.0.2"};
    StatusPage page;
    harness::BoxResponder boxes;
    std::unique_ptr<Scene> scene;
};
std::unique_ptr<harness::ScopedProduct> ToolProvisioning::s_runtime;

SYSTEMTIME Local(WORD year, WORD month, WORD day, WORD hour, WORD minute)
{
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    return t;
}

TEST_F(ToolProvisioning, SizeAtTheMinimumStaysOneByteLessIsFetchedAgain)
{
    struct Row {
        int tool;
        LONGLONG size;
        bool fetched;
    };
    const Row rows[] = {
        {kFfmpeg, 15'000'000, false}, {kFfmpeg, 14'999'999, true}, {kFfprobe, 10'000'000, false},
        {kFfprobe, 9'999'999, true},  {kEngine, 5'000'001, false}, {kEngine, 4'999'999, true},
        {kDeno, 20'000'000, false},   {kDeno, 19'999'999, true},
    };
    for (const Row& row : rows) {
        const ToolInfo& tool = kToolInfo[row.tool];
        SCOPED_TRACE(std::string(tool.file) + " of " + std::to_string(row.size) + " bytes");
        NewScene();
        scene->MakeAllTools();
        ASSERT_TRUE(MakeFile(scene->Tool(row.tool), row.size, "local"));
        const LONGLONG served = tool.minimum + 4096;
        server.Script(tool.freshPath, standin::Answer::Generated(served));

        EXPECT_EQ(RunEnsureTools(page), 1);
        EXPECT_TRUE(boxes.Seen().empty());
        EXPECT_EQ(g_bToolsReady.load(), 1);
        if (row.fetched) {
            ASSERT_EQ(server.CountFor(tool.freshPath), 1u);
            EXPECT_EQ(server.RequestsFor(tool.freshPath)[0].Agent(), kAgent);
            EXPECT_EQ(SizeOf(scene->Tool(row.tool)), served);
            EXPECT_EQ(Head(scene->Tool(row.tool), 8), standin::PatternBody(8));
            // The page showed the transfer: start text, progress under the label, done text.
            EXPECT_TRUE(page.Saw(tool.startText));
            EXPECT_TRUE(page.SawStarting(std::string(tool.label) + "..   Read "));
            EXPECT_TRUE(page.Saw("Please wait."));
        } else {
            EXPECT_EQ(server.CountFor(tool.freshPath), 0u);
            EXPECT_EQ(SizeOf(scene->Tool(row.tool)), row.size);
            EXPECT_EQ(Head(scene->Tool(row.tool), 5), "local");
        }
        // The other tools were left alone.
        for (int other = 0; other < 4; ++other) {
            if (other != row.tool) {
                EXPECT_EQ(Head(scene->Tool(other), 5), "local") << kToolInfo[other].file;
            }
        }
    }
}

TEST_F(ToolProvisioning, EngineOfExactlyTheMinimumIsReplacedWithoutAReleaseQuery)
{
    for (const bool shipped : {true, false}) {
        SCOPED_TRACE(shipped ? "shipped copy" : "no shipped copy");
        NewScene();
        scene->MakeAllTools();
        ASSERT_TRUE(MakeFile(scene->Tool(kEngine), 5'000'000, "local"));
        if (shipped) {
            ASSERT_TRUE(MakeFile(scene->Shipped(kEngine), 5'200'000, "shipped"));
        }
        server.Script(standin::paths::kEngineRelease,
                      standin::Answer::Text("2999|1|1|0|0|" + server.Base() + "/files/core-new.exe"));
        server.Script(kToolInfo[kEngine].freshPath, standin::Answer::Generated(5'100'000));

        EXPECT_EQ(RunEnsureTools(page), 1);
        EXPECT_EQ(server.CountFor(standin::paths::kEngineRelease), 0u);
        EXPECT_EQ(server.CountFor("/files/core-new.exe"), 0u);
        if (shipped) {
            EXPECT_EQ(server.CountFor(kToolInfo[kEngine].freshPath), 0u);
            EXPECT_EQ(SizeOf(scene->Tool(kEngine)), 5'200'000);
            EXPECT_EQ(Head(scene->Tool(kEngine), 7), "shipped");
        } else {
            EXPECT_EQ(server.CountFor(kToolInfo[kEngine].freshPath), 1u);
            EXPECT_EQ(SizeOf(scene->Tool(kEngine)), 5'100'000);
        }
    }
}

// The release rules: the engine's file version read as a date (local midnight), its last-modified
// time without a version (or with one that is no date), deno's last-modified time. An update fetches
// the URL of the answer, never the fresh download path.
TEST_F(ToolProvisioning, UpdateOnlyWhenTheLocalStampIsEarlierThanTheRelease)
{
    struct Row {
        const char* name;
        int tool;
        const char* program; // built program the tool file is made from; null: a plain file
        SYSTEMTIME modified;
        std::string answer; // release answer without the URL field
        bool withUrl;
        bool updated;
    };
    const SYSTEMTIME june = Local(2024, 6, 1, 12, 0);
    const SYSTEMTIME march = Local(2024, 3, 1, 12, 0);
    const char* v2024 = "provision-fixtures\\versioned-2024.1.15.0.exe";
    const char* v1 = "provision-fixtures\\versioned-1.0.0.0.exe";
    const Row rows[] = {
        {"version 2024.1.15, release that day 10:30", kEngine, v2024, june, "2024|1|15|10|30", true, true},
        {"version 2024.1.15, release that day 00:01", kEngine, v2024, june, "2024|1|15|0|1", true, true},
        {"version 2024.1.15, release that day 00:00", kEngine, v2024, june, "2024|1|15|0|0", true, false},
        {"version 2024.1.15, release the day before", kEngine, v2024, june, "2024|1|14|23|59", true, false},
        {"version 2024.1.15, release without a URL", kEngine, v2024, june, "2024|1|15|10|30", false, false},
        {"version 2024.1.15 modified in June, release in March", kEngine, v2024, june, "2024|3|1|0|0", true, true},
        {"no version, modified in June, release in March", kEngine, nullptr, june, "2024|3|1|0|0", true, false},
        {"no version, release a minute after the change", kEngine, nullptr, march, "2024|3|1|12|1", true, true},
        {"version 1.0.0 is no date, modified in June", kEngine, v1, june, "2024|3|1|0|0", true, false},
        {"deno, release a minute after the change", kDeno, nullptr, march, "2024|3|1|12|1", true, true},
        {"deno, release at the change", kDeno, nullptr, march, "2024|3|1|12|0", true, false},
        {"deno, release before the change", kDeno, nullptr, march, "2024|2|29|12|0", true, false},
        {"deno, release without a URL", kDeno, nullptr, march, "2024|3|1|12|1", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const ToolInfo& tool = kToolInfo[row.tool];
        const LONGLONG size = tool.minimum + 1000;
        const char* queryPath = row.tool == kEngine ? standin::paths::kEngineRelease : standin::paths::kDenoRelease;
        NewScene();
        scene->MakeAllTools();
        const std::string path = scene->Tool(row.tool);
        ASSERT_TRUE(row.program ? MakeProgramFile(path, BuiltFile(row.program), size) : MakeFile(path, size, "local"));
        ASSERT_TRUE(SetModified(path, row.modified));
        const std::string before = Head(path, 64);
        server.Script(queryPath,
                      standin::Answer::Text(row.answer + "|" + (row.withUrl ? server.Base() + "/files/new-tool" : "")));
        server.Script("/files/new-tool", standin::Answer::Generated(tool.minimum + 2000));
        server.Script(tool.freshPath, standin::Answer::Generated(tool.minimum + 3000));

        EXPECT_EQ(RunEnsureTools(page), 1);
        EXPECT_TRUE(boxes.Seen().empty());
        EXPECT_EQ(server.CountFor(queryPath), 1u);
        EXPECT_EQ(server.CountFor(tool.freshPath), 0u);
        if (row.updated) {
            ASSERT_EQ(server.CountFor("/files/new-tool"), 1u);
            EXPECT_EQ(server.RequestsFor("/files/new-tool")[0].Agent(), kAgent);
            EXPECT_EQ(SizeOf(path), tool.minimum + 2000);
            EXPECT_EQ(Head(path, 8), standin::PatternBody(8));
            EXPECT_TRUE(page.Saw(row.tool == kEngine
                                     ? "Updates Found. Downloading updates.."
                                     : "Updates Found. Downloading updates for JavaScript engine (Deno).."));
            EXPECT_TRUE(page.SawStarting("Downloading updates..   Read "));
        } else {
            EXPECT_EQ(server.CountFor("/files/new-tool"), 0u);
            EXPECT_EQ(SizeOf(path), size);
            EXPECT_EQ(Head(path, 64), before);
        }
    }
}

TEST_F(ToolProvisioning, ShippedCopiesAreUsedOnlyForMissingTools)
{
    // All missing: every tool comes from the program folder and nothing is requested.
    NewScene();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(MakeFile(scene->Shipped(i), kToolInfo[i].minimum + 10, "shipped"));
    EXPECT_EQ(RunEnsureTools(page), 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Head(scene->Tool(i), 7), "shipped") << kToolInfo[i].file;
        EXPECT_EQ(SizeOf(scene->Tool(i)), kToolInfo[i].minimum + 10) << kToolInfo[i].file;
    }
    EXPECT_TRUE(server.Requests().empty());

    // All present: the shipped copies are not taken, whatever their size.
    NewScene();
    scene->MakeAllTools();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(MakeFile(scene->Shipped(i), kToolInfo[i].minimum + 50, "shipped"));
    EXPECT_EQ(RunEnsureTools(page), 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Head(scene->Tool(i), 5), "local") << kToolInfo[i].file;

    // A shipped copy below the minimum is passed over: the tool is fetched.
    NewScene();
    scene->MakeAllTools();
    ::DeleteFileA(scene->Tool(kFfprobe).c_str());
    ASSERT_TRUE(MakeFile(scene->Shipped(kFfprobe), kToolInfo[kFfprobe].minimum - 1, "shipped"));
    server.Script(kToolInfo[kFfprobe].freshPath, standin::Answer::Generated(kToolInfo[kFfprobe].minimum));
    EXPECT_EQ(RunEnsureTools(page), 1);
    EXPECT_EQ(server.CountFor(kToolInfo[kFfprobe].freshPath), 1u);
    EXPECT_EQ(Head(scene->Tool(kFfprobe), 8), standin::PatternBody(8));
}

TEST_F(ToolProvisioning, ReadyFlagSkipsEverything)
{
    NewScene();
    ASSERT_TRUE(MakeFile(scene->Shipped(kFfmpeg), kToolInfo[kFfmpeg].minimum, "shipped"));
    g_bToolsReady.store(1);
    EXPECT_EQ(RunEnsureTools(page), 1);
    EXPECT_FALSE(Exists(ToolFolder())); // not even the folder
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_TRUE(page.texts.empty());
}

TEST_F(ToolProvisioning, ToolFolderThatCannotBeMadeFailsWithoutAWord)
{
    NewScene();
    g_strLocalAppData += "\\no such folder"; // the tool folder's parent does not exist
    EXPECT_EQ(RunEnsureTools(page), 0);
    EXPECT_FALSE(Exists(ToolFolder()));
    EXPECT_TRUE(boxes.Seen().empty());
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(g_bToolsReady.load(), 0);
}

TEST_F(ToolProvisioning, FailedFetchNamesTheFirstIncompleteTool)
{
    struct Fault {
        const char* name;
        standin::Answer answer;
    };
    const Fault faults[] = {
        {"404", standin::Answer::Status(404, "<html><body>Not Found</body></html>")},
        {"cut body", standin::Answer::Cut(standin::PatternBody(64 * 1024), 20000)},
    };
    for (const Fault& fault : faults) {
        for (int tool = 0; tool < 4; ++tool) {
            SCOPED_TRACE(std::string(fault.name) + " for " + kToolInfo[tool].file);
            NewScene();
            scene->MakeAllTools();
            ::DeleteFileA(scene->Tool(tool).c_str());
            server.Script(kToolInfo[tool].freshPath, fault.answer);

            EXPECT_EQ(RunEnsureTools(page), 0);
            EXPECT_EQ(server.CountFor(kToolInfo[tool].freshPath), 1u);
            EXPECT_EQ(Texts(boxes.Seen()), (BoxTexts{{kCaption, kToolInfo[tool].missingText}}));
            EXPECT_EQ(g_bToolsReady.load(), 0);
            EXPECT_FALSE(Exists(scene->Tool(tool)));
        }
    }

    // Two tools missing: only the first one is named.
    NewScene();
    scene->MakeAllTools();
    ::DeleteFileA(scene->Tool(kFfprobe).c_str());
    ::DeleteFileA(scene->Tool(kDeno).c_str());
    EXPECT_EQ(RunEnsureTools(page), 0); // the server has no such files
    EXPECT_EQ(Texts(boxes.Seen()), (BoxTexts{{kCaption, kToolInfo[kFfprobe].missingText}}));
    const auto box = boxes.Seen();
    ASSERT_EQ(box.size(), 1u);
    EXPECT_EQ(box[0].owner, page.Handle());
}

TEST_F(ToolProvisioning, FailedUpdateLeavesTheWorkingToolInPlace)
{
    struct Fault {
        const char* name;
        standin::Answer answer;
    };
    const Fault faults[] = {
        {"404", standin::Answer::Status(404, "<html><body>Not Found</body></html>")},
        {"cut body", standin::Answer::Cut(standin::PatternBody(6'000'000), 100'000)},
        {"error page with status 200", standin::Answer::Text("<html><body>Server busy</body></html>")},
    };
    for (const Fault& fault : faults) {
        for (const int tool : {kEngine, kDeno}) {
            SCOPED_TRACE(std::string(fault.name) + " for " + kToolInfo[tool].file);
            NewScene();
            scene->MakeAllTools();
            const std::string path = scene->Tool(tool);
            ASSERT_TRUE(MakeFile(path, kToolInfo[tool].minimum + 77, "working"));
            ASSERT_TRUE(SetModified(path, Local(2020, 1, 1, 0, 0)));
            server.Script(tool == kEngine ? standin::paths::kEngineRelease : standin::paths::kDenoRelease,
                          standin::Answer::Text("2024|5|1|0|0|" + server.Base() + "/files/new-tool"));
            server.Script("/files/new-tool", fault.answer);

            EXPECT_EQ(RunEnsureTools(page), 1);
            EXPECT_EQ(server.CountFor("/files/new-tool"), 1u);
            EXPECT_EQ(SizeOf(path), kToolInfo[tool].minimum + 77);
            EXPECT_EQ(Head(path, 7), "working");
            EXPECT_TRUE(boxes.Seen().empty());
        }
    }
}

TEST_F(ToolProvisioning, DownloadsProvisioningTogetherShareOnePass)
{
    NewScene();
    for (int i = 0; i < 4; ++i)
        server.Script(kToolInfo[i].freshPath, standin::Answer::Generated(kToolInfo[i].minimum));

    constexpr int kCallers = 3;
    UniqueHandle go(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> results[kCallers];
    std::vector<std::thread> callers;
    for (int i = 0; i < kCallers; ++i) {
        results[i] = -1;
        callers.emplace_back([&, i] {
            ::WaitForSingleObject(go.Get(), INFINITE);
            results[i] = EnsureTools(page) ? 1 : 0;
        });
    }
    ::SetEvent(go.Get());
    const bool done = harness::PumpUntil(
        [&] {
            for (auto& r : results)
                if (r.load() == -1)
                    return false;
            return true;
        },
        120000);
    ASSERT_TRUE(done);
    for (auto& t : callers)
        t.join();
    for (auto& r : results)
        EXPECT_EQ(r.load(), 1);
    // One set of requests: each tool fetched once, nothing else.
    EXPECT_EQ(server.Requests().size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(server.CountFor(kToolInfo[i].freshPath), 1u) << kToolInfo[i].file;
        EXPECT_EQ(SizeOf(scene->Tool(i)), kToolInfo[i].minimum) << kToolInfo[i].file;
    }
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(ToolProvisioning, CallerWaitingForAFailedPassSeesItsFailure)
{
    NewScene(); // the server has no tools
    constexpr int kCallers = 3;
    UniqueHandle go(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::atomic<int> results[kCallers];
    std::vector<std::thread> callers;
    // The first transfer is slow, so that the others arrive while the pass runs.
    server.Script(kToolInfo[kFfmpeg].freshPath, standin::Answer::Slow("<html>x</html>", 2, 300));
    for (int i = 0; i < kCallers; ++i) {
        results[i] = -1;
        callers.emplace_back([&, i] {
            ::WaitForSingleObject(go.Get(), INFINITE);
            results[i] = EnsureTools(page) ? 1 : 0;
        });
    }
    ::SetEvent(go.Get());
    ASSERT_TRUE(harness::PumpUntil(
        [&] {
            for (auto& r : results)
                if (r.load() == -1)
                    return false;
            return true;
        },
        120000));
    for (auto& t : callers)
        t.join();
    for (auto& r : results)
        EXPECT_EQ(r.load(), 0);
    // One pass told the user once; the waiting callers did not run their own.
    EXPECT_EQ(server.CountFor(kToolInfo[kFfmpeg].freshPath), 1u);
    EXPECT_EQ(Texts(boxes.Seen()), (BoxTexts{{kCaption, kToolInfo[kFfmpeg].missingText}}));
}

} // namespace
