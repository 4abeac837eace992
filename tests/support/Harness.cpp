#include "support/Harness.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace harness {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done())
            return true;
        if (::GetTickCount64() >= end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

HWND Control(HWND parent, int id) { return ::GetDlgItem(parent, id); }

std::string Text(HWND hwnd)
{
    const int n = static_cast<int>(::SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
    std::string s(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
    const int got = static_cast<int>(::SendMessageA(hwnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data())));
    s.resize(static_cast<size_t>(std::max(got, 0)));
    return s;
}

void SetText(HWND hwnd, const std::string& text)
{
    ::SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Click(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }

void ClickLater(HWND button) { ::PostMessageA(button, BM_CLICK, 0, 0); }

void PressKey(HWND hwnd, UINT vk)
{
    const UINT scan = ::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    ::PostMessageA(hwnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    ::PostMessageA(hwnd, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

void MouseClick(HWND hwnd, int x, int y, bool doubleClick)
{
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageA(hwnd, WM_MOUSEMOVE, 0, at);
    ::PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        ::PostMessageA(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        ::PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    }
}

namespace {
struct FindContext {
    std::string caption;
    std::vector<Box>* out;
};

BOOL CALLBACK CollectBox(HWND hwnd, LPARAM l)
{
    auto* ctx = reinterpret_cast<FindContext*>(l);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(hwnd))
        return TRUE;
    char cls[64] = {};
    ::GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) != "#32770")
        return TRUE;
    Box box;
    box.hwnd = hwnd;
    box.caption = Text(hwnd);
    if (!ctx->caption.empty() && box.caption != ctx->caption)
        return TRUE;
    // MessageBox puts its text in the static control 0xFFFF.
    if (HWND text = ::GetDlgItem(hwnd, 0xFFFF))
        box.text = Text(text);
    box.owner = ::GetWindow(hwnd, GW_OWNER);
    ctx->out->push_back(box);
    return TRUE;
}
} // namespace

std::vector<Box> FindBoxes(const std::string& caption)
{
    std::vector<Box> found;
    FindContext ctx{caption, &found};
    ::EnumWindows(&CollectBox, reinterpret_cast<LPARAM>(&ctx));
    return found;
}

std::optional<Box> WaitForBox(const std::string& caption, DWORD timeoutMs)
{
    std::optional<Box> result;
    PumpUntil(
        [&] {
            auto boxes = FindBoxes(caption);
            // A message box has the text static; dialogs of the program have not.
            for (auto& b : boxes)
                if (::GetDlgItem(b.hwnd, 0xFFFF)) {
                    result = b;
                    return true;
                }
            return false;
        },
        timeoutMs);
    return result;
}

void Answer(const Box& box, int buttonId)
{
    HWND button = ::GetDlgItem(box.hwnd, buttonId);
    if (button)
        ::PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    else
        ::PostMessageA(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
}

struct BoxResponder::State {
    std::mutex lock;
    std::vector<std::pair<std::string, int>> rules;
    int fallback = 0;
    std::vector<Box> seen;
    std::vector<HWND> answered;
    std::atomic<bool> stop{false};
};

namespace {
DWORD WINAPI ResponderThread(void* arg)
{
    auto state = *static_cast<std::shared_ptr<BoxResponder::State>*>(arg);
    delete static_cast<std::shared_ptr<BoxResponder::State>*>(arg);
    while (!state->stop.load()) {
        for (const Box& box : FindBoxes()) {
            if (!::GetDlgItem(box.hwnd, 0xFFFF))
                continue; // not a message box
            std::lock_guard<std::mutex> guard(state->lock);
            if (std::find(state->answered.begin(), state->answered.end(), box.hwnd) != state->answered.end())
                continue;
            int button = state->fallback;
            for (const auto& [part, id] : state->rules)
                if (part.empty() || box.text.find(part) != std::string::npos) {
                    button = id;
                    break;
                }
            if (button == 0)
                continue;
            state->answered.push_back(box.hwnd);
            state->seen.push_back(box);
            Answer(box, button);
        }
        ::Sleep(20);
    }
    return 0;
}
} // namespace

BoxResponder::BoxResponder() : m_state(std::make_shared<State>())
{
    m_thread = ::CreateThread(nullptr, 0, &ResponderThread, new std::shared_ptr<State>(m_state), 0, nullptr);
}

BoxResponder::~BoxResponder()
{
    m_state->stop = true;
    if (m_thread) {
        ::WaitForSingleObject(m_thread, 5000);
        ::CloseHandle(m_thread);
    }
}

void BoxResponder::Rule(const std::string& textPart, int buttonId)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->rules.emplace_back(textPart, buttonId);
}

void BoxResponder::SetFallback(int buttonId)
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->fallback = buttonId;
}

std::vector<Box> BoxResponder::Seen() const
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->seen;
}

bool BoxResponder::WaitForCount(size_t count, DWORD timeoutMs)
{
    return PumpUntil([&] { return Seen().size() >= count; }, timeoutMs);
}

void BoxResponder::Clear()
{
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->seen.clear();
}

Picture::Picture(int width, int height) : m_width(width), m_height(height)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    m_bitmap = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<const DWORD*>(bits);
    m_old = ::SelectObject(m_dc, m_bitmap);
    // A colour no control paints, so unpainted areas show up.
    RECT all{0, 0, width, height};
    HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
    ::FillRect(m_dc, &all, magenta);
    ::DeleteObject(magenta);
}

Picture::~Picture()
{
    if (m_dc) {
        ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    if (m_bitmap)
        ::DeleteObject(m_bitmap);
}

COLORREF Picture::Pixel(int x, int y) const noexcept
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    ::GdiFlush();
    const DWORD v = m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int Picture::Count(COLORREF colour, const RECT& area) const noexcept
{
    int n = 0;
    for (int y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, m_height); ++y)
        for (int x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, m_width); ++x)
            if (Pixel(x, y) == colour)
                ++n;
    return n;
}

bool Picture::SaveBmp(const std::string& path) const
{
    ::GdiFlush();
    const int rowBytes = ((m_width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = m_width;
    ih.biHeight = m_height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = static_cast<DWORD>(rowBytes * m_height);
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(&fh, sizeof(fh), 1, f);
    std::fwrite(&ih, sizeof(ih), 1, f);
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes));
    for (int y = m_height - 1; y >= 0; --y) {
        for (int x = 0; x < m_width; ++x) {
            const COLORREF c = Pixel(x, y);
            row[static_cast<size_t>(x) * 3] = GetBValue(c);
            row[static_cast<size_t>(x) * 3 + 1] = GetGValue(c);
            row[static_cast<size_t>(x) * 3 + 2] = GetRValue(c);
        }
        std::fwrite(row.data(), row.size(), 1, f);
    }
    std::fclose(f);
    return true;
}

std::unique_ptr<Picture> RenderClient(HWND hwnd)
{
    RECT r;
    ::GetClientRect(hwnd, &r);
    auto pic = std::make_unique<Picture>(std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1));
    ::SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pic->DC()),
                   PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
    return pic;
}

std::unique_ptr<Picture> RenderPaint(HWND hwnd)
{
    RECT r;
    ::GetClientRect(hwnd, &r);
    auto pic = std::make_unique<Picture>(std::max<LONG>(r.right, 1), std::max<LONG>(r.bottom, 1));
    ::SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(pic->DC()), 0);
    ::SendMessageA(hwnd, WM_PAINT, reinterpret_cast<WPARAM>(pic->DC()), 0);
    return pic;
}

std::string ShotPath(const std::string& name)
{
    char dir[MAX_PATH] = {};
    if (!::GetEnvironmentVariableA("TASVRIN_SHOTS", dir, MAX_PATH)) {
        ::GetTempPathA(MAX_PATH, dir);
    }
    std::string path = dir;
    if (!path.empty() && path.back() != '\\' && path.back() != '/')
        path += "\\";
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path + name;
}

void CleanRegistry()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Marlisk");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Marlisk");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Marlisk");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Marlisk");
}

TempDir::TempDir()
{
    char base[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, base);
    static std::atomic<int> counter{0};
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof(name), "%stsv%lu_%d", base, ::GetCurrentProcessId(), counter++);
        if (::CreateDirectoryA(name, nullptr)) {
            m_path = name;
            break;
        }
    }
}

TempDir::~TempDir()
{
    std::string from = m_path;
    from.push_back('\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    ::SHFileOperationA(&op);
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::optional<std::string> ReadFileBytes(const std::string& path)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::nullopt;
    std::string data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0)
        data.append(buf, n);
    std::fclose(f);
    return data;
}

} // namespace harness
