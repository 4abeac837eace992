// The job: tool check, then the MP3 pass, the video pass or both, with their engine command lines.
#pragma once

#include "download/DownloadSlots.h"

#include <string>

int RunJob(const JobParam& job);

// Quotes one argument so that the Windows command-line rules give it back unchanged as exactly one
// argument: backslashes before a quote (or before the closing quote) are doubled, quotes escaped.
std::string QuoteArgument(const std::string& text);

// " --no-playlist" for a mix address ("list=RD" or "list=rd"), else empty.
std::string PlaylistSwitch(const std::string& input);

enum class PassOptions { Mp3, VideoPlain, VideoTv };

// The command line of an engine pass: the quoted engine path, the fixed options, the playlist
// switch, the pass options and, after "--", the quoted input as one argument.
std::string BuildPassCommand(PassOptions options, const std::string& input);
// The title query's command line, with the input after "--" in the same way.
std::string BuildTitleQuery(const std::string& input);
