// The "Converter" page: no controls; choosing it opens the converter web page and leaves the user on
// the page they came from.
#pragma once

#include "framework/PageSheet.h"

class CConverterDlg : public PropertyPage
{
public:
    CConverterDlg() noexcept;
    bool OnSetActive() noexcept override;
};
