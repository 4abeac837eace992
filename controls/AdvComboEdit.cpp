#include "controls/AdvComboEdit.h"

#include "controls/AdvComboBox.h"

namespace
{
constexpr UINT_PTR kForegroundTimer = 1;
}

bool CAdvComboEdit::Create(DWORD style, const RECT& rect, HWND parent, int id)
{
    return Window::Create(0, "EDIT", "", style, rect, parent, static_cast<UINT_PTR>(id));
}

void CAdvComboEdit::OnAttached() noexcept
{
    // Once, shortly after it appears, the edit brings its window to the foreground.
    ::SetTimer(m_hwnd, kForegroundTimer, 100, nullptr);
}

LRESULT CAdvComboEdit::WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept
{
    switch (msg) {
    case WM_TIMER:
        if (w == kForegroundTimer) {
            ::KillTimer(m_hwnd, kForegroundTimer);
            if (!m_foregroundDone) {
                m_foregroundDone = true;
                ::SetForegroundWindow(m_hwnd);
            }
            return 0;
        }
        return Default(msg, w, l);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const MSG key{m_hwnd, msg, w, l, 0, {}};
        if (m_combo && m_combo->PreTranslateKey(key))
            return 0;
        return Default(msg, w, l);
    }
    case WM_CHAR:
        if (m_combo && m_combo->DropsChar(w))
            return 0;
        return Default(msg, w, l);
    case WM_KILLFOCUS:
        if (m_combo)
            m_combo->m_editFocusTarget = reinterpret_cast<HWND>(w);
        return Default(msg, w, l);
    default:
        return Default(msg, w, l);
    }
}
