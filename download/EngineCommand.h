// The job: tool check, then the MP3 pass, the video pass or both, with their engine command lines.
#pragma once

#include "download/DownloadSlots.h"

#include <string>

int RunJob(const JobParam& job);
