// Visual-styles sources for tests: the real library for drawing, with the two questions of the
// styles test (the colour scheme and whether applications are themed) answered as a test chooses.
#pragma once

#include "controls/VisualStyles.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <string>

namespace stylesfake
{

struct Answers {
    std::wstring scheme = L"NormalColor";
    HRESULT nameResult = S_OK;
    BOOL appThemed = TRUE;
    std::map<std::string, int> lookups; // how often each name was looked up
};

inline Answers& Current()
{
    static Answers answers;
    return answers;
}

inline HRESULT WINAPI FakeThemeName(LPWSTR file, int fileSize, LPWSTR colour, int colourSize, LPWSTR, int)
{
    if (FAILED(Current().nameResult))
        return Current().nameResult;
    if (file && fileSize > 0)
        file[0] = 0;
    if (colour && colourSize > 0)
        std::wcsncpy(colour, Current().scheme.c_str(), static_cast<size_t>(colourSize));
    return S_OK;
}

inline BOOL WINAPI FakeAppThemed()
{
    return Current().appThemed;
}

// Sources with a chosen common-controls version; the library is real unless `withLibrary` is false.
inline CVisualStyles::Sources Make(DWORD major, DWORD minor, bool withLibrary = true, bool versionKnown = true)
{
    CVisualStyles::Sources s;
    s.library = withLibrary ? ::LoadLibraryA("UxTheme.dll") : nullptr;
    s.ownsLibrary = s.library != nullptr;
    const HMODULE library = s.library;
    s.lookup = [library](const char* name) -> FARPROC {
        ++Current().lookups[name];
        if (!library)
            return nullptr;
        if (std::strcmp(name, "GetCurrentThemeName") == 0)
            return reinterpret_cast<FARPROC>(&FakeThemeName);
        if (std::strcmp(name, "IsAppThemed") == 0)
            return reinterpret_cast<FARPROC>(&FakeAppThemed);
        return ::GetProcAddress(library, name);
    };
    s.commonControlsVersion = [major, minor, versionKnown](DWORD& ma, DWORD& mi) {
        ma = major;
        mi = minor;
        return versionKnown;
    };
    return s;
}

// Puts a styles object in place for the self-drawn controls while it lives.
class Scope
{
public:
    explicit Scope(CVisualStyles::Sources sources) : m_styles(std::move(sources))
    {
        m_previous = CVisualStyles::SetCurrent(&m_styles);
    }
    ~Scope() { CVisualStyles::SetCurrent(m_previous); }
    CVisualStyles& Styles() { return m_styles; }

private:
    CVisualStyles m_styles;
    CVisualStyles* m_previous = nullptr;
};

} // namespace stylesfake
