// Starting threads. The entry point runs inside a guard: no exception leaves a thread.
#pragma once

#include <windows.h>

#include <functional>

// Starts `entry(param)` on a new thread with the default stack size, running at once. The thread
// handle is closed; returns false when the thread could not be started.
bool StartThread(DWORD(WINAPI* entry)(void*), void* param) noexcept;

// Starts a callable on a new thread; an exception it throws is swallowed, or handed to `onError`.
bool StartThread(std::function<void()> body, std::function<void()> onError = {}) noexcept;
