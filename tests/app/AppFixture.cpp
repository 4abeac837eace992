#include "AppFixture.h"

#include "download/DownloadSlots.h"
#include "support/Harness.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace apptest
{

void ResetSettings()
{
    g_strSavedDir.Set("C:\\Video");
    g_nHue = 94;
    g_nSatu = 97;
    g_nR = 132;
    g_nG = 101;
    g_nB = 117;
    g_nWidth = 300;
    g_nHeight = 200;
    g_bDelVideoCheck = 1;
    g_bTvVideoCheck = 1;
    g_nType = 0;
    g_nActiveDownloads = 0;
    for (CWebGrab& slot : g_DownloadSlots)
        slot.SetStopFlag(0);
}

namespace
{
std::map<UINT_PTR, std::function<void()>>& Pending()
{
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) noexcept
{
    ::KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end())
        return;
    std::function<void()> fn = std::move(it->second);
    Pending().erase(it);
    try {
        fn();
    } catch (...) {
        ADD_FAILURE() << "exception in a delayed step";
    }
}
} // namespace

void Later(std::function<void()> fn, UINT delayMs)
{
    const UINT_PTR id = ::SetTimer(nullptr, 0, delayMs, &Fire);
    Pending()[id] = std::move(fn);
}

void WhenShown(const std::string& caption, std::function<void(HWND)> fn)
{
    auto tries = std::make_shared<int>(0);
    auto step = std::make_shared<std::function<void()>>();
    *step = [caption, fn, tries, step]() {
        const auto boxes = harness::FindBoxes(caption);
        if (!boxes.empty()) {
            fn(boxes.front().hwnd);
            *step = nullptr; // breaks the cycle
            return;
        }
        if (++*tries < 500)
            Later(*step, 10);
        else
            ADD_FAILURE() << "no window \"" << caption << "\" showed";
    };
    Later(*step, 10);
}

bool RunProgram(const std::function<void(CCorvaneDlg&)>& whileOpen)
{
    bool shown = false;
    // Polls until the modal loop runs with the window visible, then runs the body in that loop.
    std::function<void()> poll;
    int tries = 0;
    poll = [&]() {
        CCorvaneDlg* dlg = MainDialog();
        if (dlg && dlg->Handle() && ::IsWindowVisible(dlg->Handle())) {
            shown = true;
            whileOpen(*dlg);
            if (MainDialog() && MainDialog()->Handle() && ::IsWindow(MainDialog()->Handle())) {
                g_nActiveDownloads = 0;
                ::PostMessageA(MainDialog()->Handle(), WM_CLOSE, 0, 0);
            }
            return;
        }
        if (++tries < 500)
            Later(poll, 10);
    };
    Later(poll, 10);
    theApp.InitInstance();
    theApp.ExitInstance();
    return shown;
}

void PutValue(const char* key, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(h, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(h);
}

void PutInt(const char* name, int value)
{
    PutValue(kSettings, name, REG_BINARY, &value, sizeof(value));
}

bool GetValue(const char* key, const char* name, DWORD& type, std::string& data)
{
    HKEY h = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    char buffer[1024];
    DWORD size = sizeof(buffer);
    const LONG rc = ::RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    ::RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return false;
    data.assign(buffer, size);
    return true;
}

} // namespace apptest
