// The main window: banner, Help/Skin/Update, the promotional link and the page sheet.
#pragma once

#include "framework/Dialog.h"
#include "framework/PageSheet.h"

#include <memory>
#include <string>

class CDownloaderPage;
class MultipleDownPage;
class CHyperlink;
class CConverterDlg;

class CSheet : public PageSheet
{
protected:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
};

// Whether a clipboard text looks like input for the address box: after trimming white space it is
// not empty and starts with a known address or search prefix, or is at least 10 characters long.
bool LooksLikeAddressInput(const std::string& text);

class CCorvaneDlg : public DialogEx
{
public:
    CCorvaneDlg();
    ~CCorvaneDlg() override;

    CDownloaderPage* GetDownloaderPage() const noexcept { return m_downloadPage.get(); }
    MultipleDownPage* GetMultiplePage() const noexcept { return m_multiPage.get(); }
    CSheet& GetSheet() noexcept { return m_sheet; }
    CHyperlink* GetPromoLink() const noexcept { return m_promoLink.get(); }

    // Computes an outer size that shows the sheet and the buttons with margins (at least 680 by
    // 560), applies it, remembers it in the settings and saves them.
    void DefaultLayout() noexcept;
    // Pastes a qualifying clipboard text into the download page's address box.
    void PasteClipboardAddress() noexcept;
    // Asks before closing while downloads run; closes unless the user says No.
    void ConfirmClose() noexcept;

protected:
    BOOL OnInitDialog() noexcept override;
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;
    void OnOK() noexcept override;
    void OnCancel() noexcept override;

private:
    void RefreshBanner() noexcept;
    void Close() noexcept;

    std::unique_ptr<CHyperlink> m_promoLink;
    CSheet m_sheet;
    std::unique_ptr<CDownloaderPage> m_downloadPage;
    std::unique_ptr<CConverterDlg> m_converterPage;
    std::unique_ptr<MultipleDownPage> m_multiPage;
    HWND m_bannerCtrl = nullptr;
    HBITMAP m_banner = nullptr; // bitmap 129 as loaded; the banner shows stretched copies
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
};
