// Running the engine for one pass and reading its output; running the title query.
#pragma once

#include "download/DownloadSlots.h"

#include <string>
#include <vector>

int RunEngine(const JobParam& job, const std::string& commandLine);
std::string RunAndCapture(const std::string& commandLine, DWORD timeoutMs);

// The status text posted while the title query runs (lives for the whole run).
extern const char kFetchingTitleText[];

// Reads progress values out of engine output as it arrives, chunk by chunk: the number in the five
// characters before each "% of", in tenths of a per cent, at most one value per 600 ms.
class ProgressScanner
{
public:
    // Scans one NUL-terminated chunk read at `tick`; accepted values are appended to `values`.
    void Scan(const char* chunk, DWORD tick, std::vector<int>& values);
    // Whether any "% of" has been seen so far.
    bool Seen() const noexcept { return m_seen; }

private:
    DWORD m_lastTick = 0;
    bool m_seen = false;
};

// Parses the number that starts at `text` ("%f", leading white space skipped) in tenths, truncated.
bool ParseProgressValue(const char* text, int& value);

// The title from the title query's whole output: trailing CR, LF and spaces cut, lines that begin with
// "ERROR:" or "WARNING:" left out. `refused` tells whether the site asked to sign in (tested on the
// whole output). Empty when nothing usable is left.
std::string TitleFromQueryOutput(const std::string& output, bool& refused);
