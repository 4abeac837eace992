// The "Multiple Download" page: one row per started engine run, keyed by the engine's process id.
#pragma once

#include "framework/PageSheet.h"

#include <memory>
#include <string>

class CXListCtrl;

class MultipleDownPage : public PropertyPage {
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

protected:
    BOOL OnInitDialog() noexcept override;
    INT_PTR DialogProc(UINT msg, WPARAM w, LPARAM l) noexcept override;

private:
    std::unique_ptr<CXListCtrl> m_list;
    HFONT m_listFont = nullptr;
};
