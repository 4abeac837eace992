#include "download/EngineCommand.h"

#include "app/Globals.h"
#include "app/Messages.h"
#include "download/EngineRunner.h"
#include "net/ToolProvisioning.h"

namespace
{
constexpr char kFixedOptions[] = " --default-search \"ytsearch\" -i --no-check-certificate";
constexpr char kMp3Options[] = " -x --audio-format mp3 -o \"%(title)s.%(ext)s\"";
constexpr char kVideoPlainOptions[] = " -f \"bestvideo[ext=mp4]+bestaudio[ext=m4a]/best[ext=mp4]/best\" -o "
                                      "\"%(title)s.%(ext)s\"";
constexpr char kVideoTvOptions[] =
    " -f \"bestvideo[ext=mp4][vcodec^=avc1]+bestaudio[ext=m4a]/best[ext=mp4][vcodec^=avc1]/"
    "best[vcodec^=avc1]\" -o \"%(title)s.%(ext)s\"";
// The input follows an end-of-options marker, so text such as "--exec=calc" stays an address.
constexpr char kInputSeparator[] = " -- ";

std::string EnginePath()
{
    return g_strLocalAppData + "\\RuzAro\\youtube-dl.exe";
}
} // namespace

std::string QuoteArgument(const std::string& text)
{
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string PlaylistSwitch(const std::string& input)
{
    if (input.find("list=RD") != std::string::npos || input.find("list=rd") != std::string::npos)
        return " --no-playlist";
    return {};
}

std::string BuildPassCommand(PassOptions options, const std::string& input)
{
    std::string line = QuoteArgument(EnginePath()) + kFixedOptions + PlaylistSwitch(input);
    switch (options) {
    case PassOptions::Mp3:
        line += kMp3Options;
        break;
    case PassOptions::VideoPlain:
        line += kVideoPlainOptions;
        break;
    case PassOptions::VideoTv:
        line += kVideoTvOptions;
        break;
    }
    return line + kInputSeparator + QuoteArgument(input);
}

std::string BuildTitleQuery(const std::string& input)
{
    // The default search makes search words give the title of the video the pass will fetch.
    return QuoteArgument(EnginePath()) + PlaylistSwitch(input) + " --default-search \"ytsearch\" --get-title" +
           kInputSeparator + QuoteArgument(input);
}

int RunJob(const JobParam& job)
{
    if (!EnsureTools(job.hwndPage)) {
        ::MessageBoxA(nullptr, "Engine Init Failed. Is there any antivirus software blocks our downloading?",
                      g_strAppName.c_str(), MB_OK);
        return -1;
    }
    CWebGrab& slot = g_DownloadSlots[job.nSlot];
    const std::string input = slot.m_strUrl;

    // The settings are read at each step, so a change made while the MP3 pass runs decides the video pass.
    if (g_nType.load() != 1) {
        slot.m_nPassKind = PASS_AUDIO;
        const int result = RunEngine(job, BuildPassCommand(PassOptions::Mp3, input));
        if (result == -1)
            return -1;
        if (g_bDelVideoCheck.load() == 0) {
            g_bToolsReady = 0;
            return result;
        }
    }
    slot.m_nPassKind = PASS_VIDEO;
    const PassOptions video = g_bTvVideoCheck.load() != 0 ? PassOptions::VideoTv : PassOptions::VideoPlain;
    const int result = RunEngine(job, BuildPassCommand(video, input));
    g_bToolsReady = 0;
    return result;
}
