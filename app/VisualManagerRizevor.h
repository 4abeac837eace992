// The program's look: face areas (the page sheet's tab strip) are filled with the theme colour.
#pragma once

#include "framework/PageSheet.h"

class CMFCVisualManagerRizevor : public VisualManager
{
public:
    void FillFace(HDC hdc, const RECT& rect) noexcept override;
};
