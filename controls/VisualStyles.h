// Run-time access to the system's visual styles. One process-wide object loads "UxTheme.dll" by
// name while the program initialises; each theme function is looked up by its exported name on
// first use and remembered, with a fixed fall-back result when the library or the function is
// missing, so the program runs unchanged on systems without visual styles.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <array>
#include <functional>

class CVisualStyles
{
public:
    // Where the object gets what it asks the system for. The default sources are the real ones; a
    // test builds an object with sources of its own (a missing library, a chosen common-controls
    // version, a theme-name query of its choosing).
    struct Sources {
        HMODULE library = nullptr; // the visual-styles library; null when absent
        bool ownsLibrary = false;  // FreeLibrary at destruction
        // Finds an exported function by name; empty: GetProcAddress on `library`.
        std::function<FARPROC(const char* name)> lookup;
        // The common-controls version; false when it cannot be read. Empty: comctl32's DllGetVersion.
        std::function<bool(DWORD& major, DWORD& minor)> commonControlsVersion;
    };

    CVisualStyles() noexcept; // loads "UxTheme.dll"
    explicit CVisualStyles(Sources sources) noexcept;
    ~CVisualStyles();
    CVisualStyles(const CVisualStyles&) = delete;
    CVisualStyles& operator=(const CVisualStyles&) = delete;

    // The object the self-drawn controls use: the process-wide one unless a test put another in
    // its place (SetCurrent returns the one it replaced; null restores the process-wide one).
    static CVisualStyles& Current() noexcept;
    static CVisualStyles* SetCurrent(CVisualStyles* styles) noexcept;

    bool LibraryLoaded() const noexcept { return m_sources.library != nullptr; }

    // TRUE when the self-drawn controls draw through visual styles: common controls exactly 6.0, a
    // colour scheme "normalcolor", "homestead" or "metallic", applications themed and the library
    // loaded. Decided at the first call and remembered for the run.
    BOOL IsVisualStylesActive() noexcept;

    // The library's functions, with the library's signatures.
    HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList) noexcept;
    HRESULT CloseThemeData(HTHEME theme) noexcept;
    HRESULT DrawThemeBackground(HTHEME theme, HDC hdc, int part, int state, const RECT* rect,
                                const RECT* clip) noexcept;
    HRESULT DrawThemeText(HTHEME theme, HDC hdc, int part, int state, LPCWSTR text, int count, DWORD flags,
                          DWORD flags2, const RECT* rect) noexcept;
    HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC hdc, int part, int state, LPCRECT bounds,
                                          LPRECT content) noexcept;
    HRESULT GetThemeBackgroundExtent(HTHEME theme, HDC hdc, int part, int state, LPCRECT content,
                                     LPRECT extent) noexcept;
    HRESULT GetThemePartSize(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect, THEMESIZE size,
                             SIZE* out) noexcept;
    HRESULT GetThemeTextExtent(HTHEME theme, HDC hdc, int part, int state, LPCWSTR text, int count, DWORD flags,
                               LPCRECT bounds, LPRECT extent) noexcept;
    HRESULT GetThemeTextMetrics(HTHEME theme, HDC hdc, int part, int state, TEXTMETRICW* metrics) noexcept;
    HRESULT GetThemeBackgroundRegion(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect, HRGN* region) noexcept;
    HRESULT HitTestThemeBackground(HTHEME theme, HDC hdc, int part, int state, DWORD options, LPCRECT rect, HRGN region,
                                   POINT test, WORD* hit) noexcept;
    HRESULT DrawThemeEdge(HTHEME theme, HDC hdc, int part, int state, LPCRECT dest, UINT edge, UINT flags,
                          LPRECT content) noexcept;
    HRESULT DrawThemeIcon(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect, HIMAGELIST images,
                          int image) noexcept;
    BOOL IsThemePartDefined(HTHEME theme, int part, int state) noexcept;
    BOOL IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part, int state) noexcept;
    HRESULT GetThemeColor(HTHEME theme, int part, int state, int prop, COLORREF* colour) noexcept;
    HRESULT GetThemeMetric(HTHEME theme, HDC hdc, int part, int state, int prop, int* value) noexcept;
    HRESULT GetThemeString(HTHEME theme, int part, int state, int prop, LPWSTR buffer, int size) noexcept;
    HRESULT GetThemeBool(HTHEME theme, int part, int state, int prop, BOOL* value) noexcept;
    HRESULT GetThemeInt(HTHEME theme, int part, int state, int prop, int* value) noexcept;
    HRESULT GetThemeEnumValue(HTHEME theme, int part, int state, int prop, int* value) noexcept;
    HRESULT GetThemePosition(HTHEME theme, int part, int state, int prop, POINT* point) noexcept;
    HRESULT GetThemeFont(HTHEME theme, HDC hdc, int part, int state, int prop, LOGFONTW* font) noexcept;
    HRESULT GetThemeRect(HTHEME theme, int part, int state, int prop, LPRECT rect) noexcept;
    HRESULT GetThemeMargins(HTHEME theme, HDC hdc, int part, int state, int prop, LPRECT rect,
                            MARGINS* margins) noexcept;
    HRESULT GetThemeIntList(HTHEME theme, int part, int state, int prop, INTLIST* list) noexcept;
    HRESULT GetThemePropertyOrigin(HTHEME theme, int part, int state, int prop, PROPERTYORIGIN* origin) noexcept;
    HRESULT SetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR idList) noexcept;
    HRESULT GetThemeFilename(HTHEME theme, int part, int state, int prop, LPWSTR buffer, int size) noexcept;
    COLORREF GetThemeSysColor(HTHEME theme, int colourId) noexcept;
    HBRUSH GetThemeSysColorBrush(HTHEME theme, int colourId) noexcept;
    BOOL GetThemeSysBool(HTHEME theme, int boolId) noexcept;
    int GetThemeSysSize(HTHEME theme, int sizeId) noexcept;
    HRESULT GetThemeSysFont(HTHEME theme, int fontId, LOGFONTW* font) noexcept;
    HRESULT GetThemeSysString(HTHEME theme, int stringId, LPWSTR buffer, int size) noexcept;
    HRESULT GetThemeSysInt(HTHEME theme, int intId, int* value) noexcept;
    BOOL IsThemeActive() noexcept;
    BOOL IsAppThemed() noexcept;
    HTHEME GetWindowTheme(HWND hwnd) noexcept;
    HRESULT EnableThemeDialogTexture(HWND hwnd, DWORD flags) noexcept;
    BOOL IsThemeDialogTextureEnabled(HWND hwnd) noexcept;
    DWORD GetThemeAppProperties() noexcept;
    void SetThemeAppProperties(DWORD flags) noexcept;
    HRESULT GetCurrentThemeName(LPWSTR fileName, int fileNameSize, LPWSTR colourName, int colourNameSize,
                                LPWSTR sizeName, int sizeNameSize) noexcept;
    HRESULT GetThemeDocumentationProperty(LPCWSTR themeName, LPCWSTR propertyName, LPWSTR value, int size) noexcept;
    HRESULT DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* rect) noexcept;
    HRESULT EnableTheming(BOOL enable) noexcept;

    // The number of functions the object offers.
    static constexpr int kFunctionCount = 47;

private:
    // Returns the function remembered for `slot`, looking it up by name the first time; null when it
    // is missing (the caller then answers with the fall-back, and so does every later call).
    FARPROC Resolve(int slot, const char* name) noexcept;
    static bool ReadCommonControlsVersion(DWORD& major, DWORD& minor) noexcept;

    Sources m_sources;
    std::array<FARPROC, kFunctionCount> m_entries{};
    std::array<bool, kFunctionCount> m_looked{};
    int m_stylesActive = -1; // -1 not tested yet, else 0 or 1
};

// The process-wide access object, made during static initialisation.
extern CVisualStyles g_VisualStyles;
