// The "Multiple Download" page: one row per started engine run, keyed by the engine's process id.
#pragma once

#include "framework/Handles.h"
#include "framework/PageSheet.h"

#include <memory>
#include <string>

class CXListCtrl;

class MultipleDownPage : public PropertyPage
{
public:
    MultipleDownPage();
    ~MultipleDownPage() override;

    void AddTaskRow(const std::string& text, DWORD enginePid);
    void SetTaskStatus(const std::string& text, DWORD enginePid);
    void RemoveCurrentTaskRow();

    void OnDelete();
    void OnOpen();
    CXListCtrl* List() const noexcept { return m_list.get(); }

    bool OnSetActive() noexcept override;

    // Row colours.
    static constexpr COLORREF kTitleText = RGB(0, 0, 0);
    static constexpr COLORREF kTitleBack = RGB(210, 221, 244);
    static constexpr COLORREF kStatusText = RGB(0, 0, 0);
    static constexpr COLORREF kStatusBack = RGB(255, 230, 162);

protected:
    BOOL OnInitDialog() noexcept override;
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    std::unique_ptr<CXListCtrl> m_list;
    UniqueFont m_listFont; // the dialog font at twice its height, for the list
};
