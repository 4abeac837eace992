// Runs the real application start-up (InitInstance, ExitInstance) with the main window shown
// modally, and lets a test act inside the modal loop.
#pragma once

#include "app/CorvaneApp.h"
#include "app/CorvaneDlg.h"
#include "app/Globals.h"

#include <windows.h>

#include <functional>
#include <string>

namespace apptest
{

// The settings globals back to their static defaults, as at process start.
void ResetSettings();

// Runs `fn` once, from this thread's message loop (whichever modal loop is running then).
void Later(std::function<void()> fn, UINT delayMs = 20);

// Runs `fn` with the dialog once a visible dialog of this process with the caption shows, from
// whichever modal loop is running then (a modal dialog shows once its loop first goes idle).
void WhenShown(const std::string& caption, std::function<void(HWND)> fn);

// Starts the program as the process does; `whileOpen` runs inside the main window's modal loop
// once the window shows. The window is closed afterwards if the body left it open. Returns false
// when the window never showed.
bool RunProgram(const std::function<void(CCorvaneDlg&)>& whileOpen);

// Raw registry access that bypasses the program's own wrapper.
void PutValue(const char* key, const char* name, DWORD type, const void* data, DWORD size);
void PutInt(const char* name, int value);
bool GetValue(const char* key, const char* name, DWORD& type, std::string& data);

constexpr const char* kSettings = "Software\\Marlisk\\Settings";

} // namespace apptest
