// A scope object that paints off-screen: drawing on it lands in a bitmap of the target's clip box,
// copied to the target in one block transfer when the object goes away. On a printer it draws
// straight onto the target.
#pragma once

#include "framework/Handles.h"

#include <windows.h>

class CMemDC2
{
public:
    explicit CMemDC2(HDC target) noexcept;
    ~CMemDC2();
    CMemDC2(const CMemDC2&) = delete;
    CMemDC2& operator=(const CMemDC2&) = delete;

    HDC Get() const noexcept { return m_hdc; }
    operator HDC() const noexcept { return m_hdc; }
    bool IsMemDC() const noexcept { return m_bMemDC; }
    const RECT& Area() const noexcept { return m_rect; }

private:
    HDC m_pDC; // the target
    HDC m_hdc; // what callers draw on: the memory context, or the target when printing
    UniqueMemDC m_memDC;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    RECT m_rect{};
    bool m_bMemDC = false;
};
