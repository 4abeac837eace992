// Engine command lines: pieces, playlist switch, and the input kept as one argument.
#include "DownloadFixture.h"

#include "app/Globals.h"
#include "download/EngineCommand.h"
#include "download/EngineRunner.h"

#include <gtest/gtest.h>
#include <shellapi.h>

namespace
{

std::wstring Wide(const std::string& s)
{
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::vector<std::wstring> SplitLikeWindows(const std::string& commandLine)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(Wide(commandLine).c_str(), &argc);
    std::vector<std::wstring> out(argv, argv + argc);
    ::LocalFree(argv);
    return out;
}

const char* const kHostileInputs[] = {
    "--exec=calc", "-o C:\\x", "a \"b\" c", "x\\\\\"y", "&|^%", "trailing\\", "Été 東京 ß", "best song", "",
};

TEST(EngineCommandLine, QuotedInputSplitsBackToExactlyItself)
{
    for (const char* input : kHostileInputs) {
        const auto args = SplitLikeWindows("prog.exe " + QuoteArgument(input));
        ASSERT_EQ(args.size(), 2u) << input;
        EXPECT_EQ(args[1], Wide(input)) << input;
    }
}

TEST(EngineCommandLine, PassAndTitleLinesCarryThePiecesAndEndWithTheInputAfterTheMarker)
{
    const std::string old = g_strLocalAppData;
    g_strLocalAppData = "C:\\Users\\First Last\\AppData\\Local";
    const std::string engine = "\"C:\\Users\\First Last\\AppData\\Local\\RuzAro\\youtube-dl.exe\"";
    const std::string fixed = " --default-search \"ytsearch\" -i --no-check-certificate";
    const std::string tmpl = " -o \"%(title)s.%(ext)s\"";
    struct Case {
        std::string line;
        std::string expected;
    } cases[] = {
        {BuildPassCommand(PassOptions::Mp3, "a b"), engine + fixed + " -x --audio-format mp3" + tmpl + " -- \"a b\""},
        {BuildPassCommand(PassOptions::VideoPlain, "u"),
         engine + fixed + " -f \"bestvideo[ext=mp4]+bestaudio[ext=m4a]/best[ext=mp4]/best\"" + tmpl + " -- \"u\""},
        {BuildPassCommand(PassOptions::VideoTv, "u"),
         engine + fixed +
             " -f "
             "\"bestvideo[ext=mp4][vcodec^=avc1]+bestaudio[ext=m4a]/best[ext=mp4][vcodec^=avc1]/best[vcodec^=avc1]\"" +
             tmpl + " -- \"u\""},
        {BuildPassCommand(PassOptions::Mp3, "x&list=RDab"),
         engine + fixed + " --no-playlist -x --audio-format mp3" + tmpl + " -- \"x&list=RDab\""},
        {BuildTitleQuery("u"), engine + " --default-search \"ytsearch\" --get-title -- \"u\""},
        {BuildTitleQuery("x&list=rdab"),
         engine + " --no-playlist --default-search \"ytsearch\" --get-title -- \"x&list=rdab\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.line, c.expected);
    // The path with a space stays the program name.
    const auto args = SplitLikeWindows(cases[0].line);
    EXPECT_EQ(args[0], L"C:\\Users\\First Last\\AppData\\Local\\RuzAro\\youtube-dl.exe");
    g_strLocalAppData = old;
}

TEST(EngineCommandLine, PlaylistSwitchOnlyForMixCodesInExactCase)
{
    struct Case {
        const char* input;
        bool on;
    } cases[] = {
        {"https://www.youtube.com/watch?v=a&list=RDa1", true},
        {"https://www.youtube.com/watch?v=a&list=rda1", true},
        {"https://www.youtube.com/watch?v=a&LIST=RDA1", false},
        {"https://www.youtube.com/watch?v=a&list=PLa1", false},
        {"plain words", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PlaylistSwitch(c.input), c.on ? " --no-playlist" : "") << c.input;
}

} // namespace
