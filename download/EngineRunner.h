// Running the engine for one pass and reading its output; running the title query.
#pragma once

#include "download/DownloadSlots.h"

#include <string>

int RunEngine(const JobParam& job, const std::string& commandLine);
std::string RunAndCapture(const std::string& commandLine, DWORD timeoutMs);
