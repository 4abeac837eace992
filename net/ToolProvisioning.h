// Keeps the engine, its companions and the VC runtime present, complete and current.
#pragma once

#include <windows.h>

#include <string>

std::string ToolFolder(); // g_strLocalAppData + "\RuzAro"
bool EnsureTools(HWND window);
bool CheckVcRuntime(HWND window);

// Microsoft's download page of the VC 2010 x86 runtime, opened when the runtime cannot be installed.
extern const char kVcRuntimePageUrl[];
