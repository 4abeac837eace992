#include "framework/Thread.h"

#include "framework/Handles.h"

#include <process.h>

#include <memory>

namespace {
struct RawStart {
    DWORD(WINAPI* entry)(void*);
    void* param;
};

unsigned __stdcall RawTrampoline(void* arg) noexcept
{
    std::unique_ptr<RawStart> start(static_cast<RawStart*>(arg));
    try {
        return start->entry(start->param);
    } catch (...) {
        return 1;
    }
}

struct BodyStart {
    std::function<void()> body;
    std::function<void()> onError;
};

unsigned __stdcall BodyTrampoline(void* arg) noexcept
{
    std::unique_ptr<BodyStart> start(static_cast<BodyStart*>(arg));
    try {
        start->body();
    } catch (...) {
        try {
            if (start->onError)
                start->onError();
        } catch (...) {
        }
        return 1;
    }
    return 0;
}
} // namespace

bool StartThread(DWORD(WINAPI* entry)(void*), void* param) noexcept
{
    auto* start = new (std::nothrow) RawStart{entry, param};
    if (!start)
        return false;
    UniqueHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RawTrampoline, start, 0, nullptr)));
    if (!thread) {
        delete start;
        return false;
    }
    return true;
}

bool StartThread(std::function<void()> body, std::function<void()> onError) noexcept
{
    BodyStart* start = nullptr;
    try {
        start = new BodyStart{std::move(body), std::move(onError)};
    } catch (...) {
        return false;
    }
    UniqueHandle thread(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &BodyTrampoline, start, 0, nullptr)));
    if (!thread) {
        delete start;
        return false;
    }
    return true;
}
