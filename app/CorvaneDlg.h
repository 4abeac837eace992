// The main window: banner, Help/Skin/Update, the promotional link and the page sheet.
#pragma once

#include "framework/Dialog.h"
#include "framework/PageSheet.h"

#include <memory>

class CDownloaderPage;
class MultipleDownPage;
class CHyperlink;

class CSheet : public PageSheet {
protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
};

class CCorvaneDlg : public DialogEx {
public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;

    CDownloaderPage* GetDownloaderPage() const noexcept { return m_downloadPage.get(); }
    MultipleDownPage* GetMultiplePage() const noexcept { return m_multiPage.get(); }
    CSheet& GetSheet() noexcept { return m_sheet; }

protected:
    BOOL OnInitDialog() noexcept override;
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    void OnCancel() noexcept override;

private:
    std::unique_ptr<CHyperlink> m_promoLink;
    CSheet m_sheet;
    std::unique_ptr<CDownloaderPage> m_downloadPage;
    std::unique_ptr<PropertyPage> m_converterPage;
    std::unique_ptr<MultipleDownPage> m_multiPage;
    HBITMAP m_banner = nullptr;
    HICON m_icon = nullptr;
};
