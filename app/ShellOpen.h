// Every shell "open"/"explore" of the program goes through here, so that tests can watch what the
// program asks the shell to open without a browser or file manager appearing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Hands `target` to the shell with `verb`, shown normally. True when the shell accepted it (or a
// hook took it).
bool ShellOpen(const std::string& verb, const std::string& target) noexcept;

// A hook that receives every ShellOpen call instead of the shell; its result is ShellOpen's.
// Passing an empty function restores the shell. Meant for tests; set it on the window thread.
using ShellOpenHook = std::function<bool(const std::string& verb, const std::string& target)>;
void SetShellOpenHook(ShellOpenHook hook);
