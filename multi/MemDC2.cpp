#include "multi/MemDC2.h"

CMemDC2::CMemDC2(HDC target) noexcept : m_pDC(target), m_hdc(target)
{
    if (!target)
        return;
    ::GetClipBox(target, &m_rect);
    if (::GetDeviceCaps(target, TECHNOLOGY) == DT_RASPRINTER)
        return; // printing: draw straight onto the target
    m_memDC.Reset(::CreateCompatibleDC(target));
    const int width = m_rect.right - m_rect.left;
    const int height = m_rect.bottom - m_rect.top;
    if (!m_memDC || width <= 0 || height <= 0)
        return;
    m_bitmap.Reset(::CreateCompatibleBitmap(target, width, height));
    if (!m_bitmap)
        return;
    m_oldBitmap = ::SelectObject(m_memDC.Get(), m_bitmap.Get());
    ::SetWindowOrgEx(m_memDC.Get(), m_rect.left, m_rect.top, nullptr);
    m_hdc = m_memDC.Get();
    m_bMemDC = true;
}

CMemDC2::~CMemDC2()
{
    if (m_bMemDC) {
        ::BitBlt(m_pDC, m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_memDC.Get(),
                 m_rect.left, m_rect.top, SRCCOPY);
        ::SelectObject(m_memDC.Get(), m_oldBitmap);
    }
    // the guards release the bitmap and the memory context
}
