// Helpers for tests that drive real windows: finding controls, typing and clicking, pumping
// messages with a bound, answering message boxes, reading pixels of rendered controls.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace harness {

// Pumps this thread's messages until `done` holds or `timeoutMs` passes; returns whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Pumps for a fixed time.
void PumpFor(DWORD ms);

HWND Control(HWND parent, int id);
std::string Text(HWND hwnd);
void SetText(HWND hwnd, const std::string& text);
// Clicks a button synchronously (BM_CLICK). Use ClickLater when the click opens a modal box on
// this thread.
void Click(HWND button);
void ClickLater(HWND button);
// Posts a key press (down and up) to a window.
void PressKey(HWND hwnd, UINT vk);
// A mouse click at client coordinates, posted as button down and up.
void MouseClick(HWND hwnd, int x, int y, bool doubleClick = false);

// A message box (or any dialog of class #32770) of this process.
struct Box {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
};

// Top-level dialogs of this process with the caption (all of them when caption is empty).
std::vector<Box> FindBoxes(const std::string& caption = {});
// Waits (pumping this thread) for a message box with the caption.
std::optional<Box> WaitForBox(const std::string& caption, DWORD timeoutMs = 5000);
// Presses a button of a box: IDOK, IDCANCEL, IDYES, IDNO.
void Answer(const Box& box, int buttonId);

// Answers message boxes from a thread of its own, so that boxes shown modally on the test thread,
// or by worker threads, are answered while the test waits. Every box it answered is recorded.
class BoxResponder {
public:
    BoxResponder();
    ~BoxResponder();
    BoxResponder(const BoxResponder&) = delete;
    BoxResponder& operator=(const BoxResponder&) = delete;

    // The button for boxes whose text contains `textPart` (empty: any text). Earlier rules win.
    // Boxes matching no rule are answered with `fallbackButton` (IDOK / IDYES / IDNO ...), or left
    // open when it is 0.
    void Rule(const std::string& textPart, int buttonId);
    void SetFallback(int buttonId);
    std::vector<Box> Seen() const;
    // Waits (pumping this thread) until `count` boxes have been answered.
    bool WaitForCount(size_t count, DWORD timeoutMs = 10000);
    void Clear();
    struct State;

private:
    std::shared_ptr<State> m_state;
    HANDLE m_thread = nullptr;
};

// A 32-bit top-down picture of something drawn, with pixel access.
class Picture {
public:
    Picture(int width, int height);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    HDC DC() const noexcept { return m_dc; }
    COLORREF Pixel(int x, int y) const noexcept;
    // Counts pixels of a colour inside a rectangle.
    int Count(COLORREF colour, const RECT& area) const noexcept;
    // Saves a 24-bit BMP; scripts/test turns the saved pictures into PNG.
    bool SaveBmp(const std::string& path) const;

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    const DWORD* m_bits = nullptr;
};

// Renders a window's client area through WM_PRINTCLIENT (erase, client, children).
std::unique_ptr<Picture> RenderClient(HWND hwnd);
// Renders by sending WM_PAINT with the memory DC in wParam (common controls and the program's own
// controls draw into a DC given this way).
std::unique_ptr<Picture> RenderPaint(HWND hwnd);
// Folder for pictures that a person looks at (build/screenshots, from TASVRIN_SHOTS).
std::string ShotPath(const std::string& name);

// Removes the program's registry keys (HKCU\Software\Marlisk and HKCU\Marlisk).
void CleanRegistry();

// A fresh folder under %TEMP%, removed with its contents at the end of the scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const noexcept { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);

} // namespace harness
