#include "controls/VisualStyles.h"

#include <shlwapi.h>

#include <cwchar>
#include <utility>

namespace
{
// Slots of the remembered functions, in declaration order.
enum Slot {
    kOpenThemeData,
    kCloseThemeData,
    kDrawThemeBackground,
    kDrawThemeText,
    kGetThemeBackgroundContentRect,
    kGetThemeBackgroundExtent,
    kGetThemePartSize,
    kGetThemeTextExtent,
    kGetThemeTextMetrics,
    kGetThemeBackgroundRegion,
    kHitTestThemeBackground,
    kDrawThemeEdge,
    kDrawThemeIcon,
    kIsThemePartDefined,
    kIsThemeBackgroundPartiallyTransparent,
    kGetThemeColor,
    kGetThemeMetric,
    kGetThemeString,
    kGetThemeBool,
    kGetThemeInt,
    kGetThemeEnumValue,
    kGetThemePosition,
    kGetThemeFont,
    kGetThemeRect,
    kGetThemeMargins,
    kGetThemeIntList,
    kGetThemePropertyOrigin,
    kSetWindowTheme,
    kGetThemeFilename,
    kGetThemeSysColor,
    kGetThemeSysColorBrush,
    kGetThemeSysBool,
    kGetThemeSysSize,
    kGetThemeSysFont,
    kGetThemeSysString,
    kGetThemeSysInt,
    kIsThemeActive,
    kIsAppThemed,
    kGetWindowTheme,
    kEnableThemeDialogTexture,
    kIsThemeDialogTextureEnabled,
    kGetThemeAppProperties,
    kSetThemeAppProperties,
    kGetCurrentThemeName,
    kGetThemeDocumentationProperty,
    kDrawThemeParentBackground,
    kEnableTheming,
    kSlotCount
};
static_assert(kSlotCount == CVisualStyles::kFunctionCount);

CVisualStyles* g_current = nullptr;

struct DllVersion {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
static_assert(sizeof(DllVersion) == 20);
using DllGetVersionFn = HRESULT(CALLBACK*)(DllVersion*);
} // namespace

// Loaded before the application object starts, released when the process ends.
CVisualStyles g_VisualStyles;

CVisualStyles::CVisualStyles() noexcept
{
    m_sources.library = ::LoadLibraryA("UxTheme.dll");
    m_sources.ownsLibrary = m_sources.library != nullptr;
}

CVisualStyles::CVisualStyles(Sources sources) noexcept : m_sources(std::move(sources)) {}

CVisualStyles::~CVisualStyles()
{
    if (g_current == this)
        g_current = nullptr;
    if (m_sources.ownsLibrary && m_sources.library)
        ::FreeLibrary(m_sources.library);
}

CVisualStyles& CVisualStyles::Current() noexcept
{
    return g_current ? *g_current : g_VisualStyles;
}

CVisualStyles* CVisualStyles::SetCurrent(CVisualStyles* styles) noexcept
{
    return std::exchange(g_current, styles);
}

FARPROC CVisualStyles::Resolve(int slot, const char* name) noexcept
{
    if (!m_looked[slot]) {
        FARPROC fn = nullptr;
        if (m_sources.lookup)
            fn = m_sources.lookup(name);
        else if (m_sources.library)
            fn = ::GetProcAddress(m_sources.library, name);
        m_entries[slot] = fn;
        m_looked[slot] = true;
    }
    return m_entries[slot];
}

bool CVisualStyles::ReadCommonControlsVersion(DWORD& major, DWORD& minor) noexcept
{
    major = minor = 0;
    const HMODULE comctl = ::LoadLibraryA("comctl32.dll");
    if (!comctl)
        return false;
    bool ok = false;
    if (auto fn = reinterpret_cast<DllGetVersionFn>(::GetProcAddress(comctl, "DllGetVersion"))) {
        DllVersion info{};
        info.cbSize = sizeof(info);
        if (SUCCEEDED(fn(&info))) {
            major = info.dwMajorVersion;
            minor = info.dwMinorVersion;
            ok = true;
        }
    }
    ::FreeLibrary(comctl);
    return ok;
}

BOOL CVisualStyles::IsVisualStylesActive() noexcept
{
    if (m_stylesActive != -1)
        return m_stylesActive;
    m_stylesActive = 0;
    DWORD major = 0, minor = 0;
    const bool known = m_sources.commonControlsVersion ? m_sources.commonControlsVersion(major, minor)
                                                       : ReadCommonControlsVersion(major, minor);
    if (!known || major != 6 || minor != 0)
        return m_stylesActive;
    wchar_t fileName[256] = {};
    wchar_t colourName[256] = {};
    if (FAILED(GetCurrentThemeName(fileName, 255, colourName, 255, nullptr, 0)))
        return m_stylesActive;
    if (::_wcsicmp(colourName, L"normalcolor") != 0 && ::_wcsicmp(colourName, L"homestead") != 0 &&
        ::_wcsicmp(colourName, L"metallic") != 0)
        return m_stylesActive;
    m_stylesActive = (IsAppThemed() && LibraryLoaded()) ? 1 : 0;
    return m_stylesActive;
}

// Each function calls the library's when it exists and answers with its fall-back otherwise.
#define VS_CALL(name, fallback, params, args)                                                                          \
    using Fn = decltype(&::name);                                                                                      \
    if (auto fn = reinterpret_cast<Fn>(Resolve(k##name, #name)))                                                       \
        return fn args;                                                                                                \
    return fallback;

HTHEME CVisualStyles::OpenThemeData(HWND hwnd, LPCWSTR classList) noexcept {
    VS_CALL(OpenThemeData, nullptr, , (hwnd, classList))} HRESULT CVisualStyles::CloseThemeData(HTHEME theme) noexcept {
    VS_CALL(CloseThemeData, E_FAIL, ,
            (theme))} HRESULT CVisualStyles::DrawThemeBackground(HTHEME theme, HDC hdc, int part, int state,
                                                                 const RECT* rect, const RECT* clip) noexcept {
    VS_CALL(DrawThemeBackground, E_FAIL, , (theme, hdc, part, state, rect, clip))} HRESULT
    CVisualStyles::DrawThemeText(HTHEME theme, HDC hdc, int part, int state, LPCWSTR text, int count, DWORD flags,
                                 DWORD flags2, const RECT* rect) noexcept {
        VS_CALL(DrawThemeText, E_FAIL, , (theme, hdc, part, state, text, count, flags, flags2, rect))} HRESULT
    CVisualStyles::GetThemeBackgroundContentRect(HTHEME theme, HDC hdc, int part, int state, LPCRECT bounds,
                                                 LPRECT content) noexcept {
        VS_CALL(GetThemeBackgroundContentRect, E_FAIL, , (theme, hdc, part, state, bounds, content))} HRESULT
    CVisualStyles::GetThemeBackgroundExtent(HTHEME theme, HDC hdc, int part, int state, LPCRECT content,
                                            LPRECT extent) noexcept {
        VS_CALL(GetThemeBackgroundExtent, E_FAIL, , (theme, hdc, part, state, content, extent))} HRESULT
    CVisualStyles::GetThemePartSize(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect, THEMESIZE size,
                                    SIZE* out) noexcept {
        VS_CALL(GetThemePartSize, E_FAIL, , (theme, hdc, part, state, const_cast<LPRECT>(rect), size, out))} HRESULT
    CVisualStyles::GetThemeTextExtent(HTHEME theme, HDC hdc, int part, int state, LPCWSTR text, int count, DWORD flags,
                                      LPCRECT bounds, LPRECT extent) noexcept {
        VS_CALL(GetThemeTextExtent, E_FAIL, , (theme, hdc, part, state, text, count, flags, bounds, extent))} HRESULT
    CVisualStyles::GetThemeTextMetrics(HTHEME theme, HDC hdc, int part, int state, TEXTMETRICW* metrics) noexcept {
        // The header of this tool chain spells the structure without its W; the function fills the W form.
        VS_CALL(GetThemeTextMetrics, E_FAIL, ,
                (theme, hdc, part, state, reinterpret_cast<TEXTMETRIC*>(metrics)))} HRESULT
    CVisualStyles::GetThemeBackgroundRegion(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect,
                                            HRGN* region) noexcept {
        VS_CALL(GetThemeBackgroundRegion, E_FAIL, , (theme, hdc, part, state, rect, region))} HRESULT
    CVisualStyles::HitTestThemeBackground(HTHEME theme, HDC hdc, int part, int state, DWORD options, LPCRECT rect,
                                          HRGN region, POINT test, WORD* hit) noexcept {
        VS_CALL(HitTestThemeBackground, E_FAIL, , (theme, hdc, part, state, options, rect, region, test, hit))} HRESULT
    CVisualStyles::DrawThemeEdge(HTHEME theme, HDC hdc, int part, int state, LPCRECT dest, UINT edge, UINT flags,
                                 LPRECT content) noexcept {
        VS_CALL(DrawThemeEdge, E_FAIL, , (theme, hdc, part, state, dest, edge, flags, content))} HRESULT
    CVisualStyles::DrawThemeIcon(HTHEME theme, HDC hdc, int part, int state, LPCRECT rect, HIMAGELIST images,
                                 int image) noexcept {
        VS_CALL(DrawThemeIcon, E_FAIL, , (theme, hdc, part, state, rect, images, image))} BOOL
    CVisualStyles::IsThemePartDefined(HTHEME theme, int part, int state) noexcept {
        VS_CALL(IsThemePartDefined, FALSE, ,
                (theme, part, state))} BOOL CVisualStyles::IsThemeBackgroundPartiallyTransparent(HTHEME theme, int part,
                                                                                                 int state) noexcept {
        VS_CALL(IsThemeBackgroundPartiallyTransparent, FALSE, ,
                (theme, part, state))} HRESULT CVisualStyles::GetThemeColor(HTHEME theme, int part, int state, int prop,
                                                                            COLORREF* colour) noexcept {
        VS_CALL(GetThemeColor, E_FAIL, , (theme, part, state, prop, colour))} HRESULT
    CVisualStyles::GetThemeMetric(HTHEME theme, HDC hdc, int part, int state, int prop, int* value) noexcept {
        VS_CALL(GetThemeMetric, E_FAIL, , (theme, hdc, part, state, prop, value))} HRESULT
    CVisualStyles::GetThemeString(HTHEME theme, int part, int state, int prop, LPWSTR buffer, int size) noexcept {
        VS_CALL(GetThemeString, E_FAIL, , (theme, part, state, prop, buffer, size))} HRESULT
    CVisualStyles::GetThemeBool(HTHEME theme, int part, int state, int prop, BOOL* value) noexcept {
        VS_CALL(GetThemeBool, E_FAIL, , (theme, part, state, prop, value))} HRESULT
    CVisualStyles::GetThemeInt(HTHEME theme, int part, int state, int prop, int* value) noexcept {
        VS_CALL(GetThemeInt, E_FAIL, , (theme, part, state, prop, value))} HRESULT
    CVisualStyles::GetThemeEnumValue(HTHEME theme, int part, int state, int prop, int* value) noexcept {
        VS_CALL(GetThemeEnumValue, E_FAIL, , (theme, part, state, prop, value))} HRESULT
    CVisualStyles::GetThemePosition(HTHEME theme, int part, int state, int prop, POINT* point) noexcept {
        VS_CALL(GetThemePosition, E_FAIL, , (theme, part, state, prop, point))} HRESULT
    CVisualStyles::GetThemeFont(HTHEME theme, HDC hdc, int part, int state, int prop, LOGFONTW* font) noexcept {
        VS_CALL(GetThemeFont, E_FAIL, , (theme, hdc, part, state, prop, font))} HRESULT
    CVisualStyles::GetThemeRect(HTHEME theme, int part, int state, int prop, LPRECT rect) noexcept {
        VS_CALL(GetThemeRect, E_FAIL, , (theme, part, state, prop, rect))} HRESULT
    CVisualStyles::GetThemeMargins(HTHEME theme, HDC hdc, int part, int state, int prop, LPRECT rect,
                                   MARGINS* margins) noexcept {
        VS_CALL(GetThemeMargins, E_FAIL, , (theme, hdc, part, state, prop, rect, margins))} HRESULT
    CVisualStyles::GetThemeIntList(HTHEME theme, int part, int state, int prop, INTLIST* list) noexcept {
        VS_CALL(GetThemeIntList, E_FAIL, , (theme, part, state, prop, list))} HRESULT
    CVisualStyles::GetThemePropertyOrigin(HTHEME theme, int part, int state, int prop,
                                          PROPERTYORIGIN* origin) noexcept {
        VS_CALL(GetThemePropertyOrigin, E_FAIL, ,
                (theme, part, state, prop, origin))} HRESULT CVisualStyles::SetWindowTheme(HWND hwnd, LPCWSTR appName,
                                                                                           LPCWSTR idList) noexcept {
        VS_CALL(SetWindowTheme, E_FAIL, , (hwnd, appName, idList))} HRESULT
    CVisualStyles::GetThemeFilename(HTHEME theme, int part, int state, int prop, LPWSTR buffer, int size) noexcept {
        VS_CALL(GetThemeFilename, E_FAIL, , (theme, part, state, prop, buffer, size))} COLORREF
    CVisualStyles::GetThemeSysColor(HTHEME theme, int colourId) noexcept {
        VS_CALL(GetThemeSysColor, static_cast<COLORREF>(0xFFFFFF), ,
                (theme, colourId))} HBRUSH CVisualStyles::GetThemeSysColorBrush(HTHEME theme, int colourId) noexcept {
        VS_CALL(GetThemeSysColorBrush, nullptr, ,
                (theme, colourId))} BOOL CVisualStyles::GetThemeSysBool(HTHEME theme, int boolId) noexcept
{
    VS_CALL(GetThemeSysBool, FALSE, , (theme, boolId))
}
int CVisualStyles::GetThemeSysSize(HTHEME theme, int sizeId) noexcept {
    VS_CALL(GetThemeSysSize, 0, , (theme, sizeId))} HRESULT CVisualStyles::GetThemeSysFont(HTHEME theme, int fontId,
                                                                                           LOGFONTW* font) noexcept {
    VS_CALL(GetThemeSysFont, E_FAIL, ,
            (theme, fontId, font))} HRESULT CVisualStyles::GetThemeSysString(HTHEME theme, int stringId, LPWSTR buffer,
                                                                             int size) noexcept {
    VS_CALL(GetThemeSysString, E_FAIL, ,
            (theme, stringId, buffer, size))} HRESULT CVisualStyles::GetThemeSysInt(HTHEME theme, int intId,
                                                                                    int* value) noexcept {
    VS_CALL(GetThemeSysInt, E_FAIL, , (theme, intId, value))} BOOL CVisualStyles::IsThemeActive() noexcept {
    VS_CALL(IsThemeActive, FALSE, , ())} BOOL CVisualStyles::IsAppThemed() noexcept {
    VS_CALL(IsAppThemed, FALSE, , ())} HTHEME CVisualStyles::GetWindowTheme(HWND hwnd) noexcept {
    VS_CALL(GetWindowTheme, nullptr, , (hwnd))} HRESULT CVisualStyles::EnableThemeDialogTexture(HWND hwnd,
                                                                                                DWORD flags) noexcept {
    VS_CALL(EnableThemeDialogTexture, E_FAIL, ,
            (hwnd, flags))} BOOL CVisualStyles::IsThemeDialogTextureEnabled(HWND hwnd) noexcept {
    VS_CALL(IsThemeDialogTextureEnabled, FALSE, , (hwnd))} DWORD CVisualStyles::GetThemeAppProperties() noexcept
{
    VS_CALL(GetThemeAppProperties, 0u, , ())
}
void CVisualStyles::SetThemeAppProperties(DWORD flags) noexcept
{
    using Fn = decltype(&::SetThemeAppProperties);
    if (auto fn = reinterpret_cast<Fn>(Resolve(kSetThemeAppProperties, "SetThemeAppProperties")))
        fn(flags);
}
HRESULT CVisualStyles::GetCurrentThemeName(LPWSTR fileName, int fileNameSize, LPWSTR colourName, int colourNameSize,
                                           LPWSTR sizeName, int sizeNameSize) noexcept {
    VS_CALL(GetCurrentThemeName, E_FAIL, ,
            (fileName, fileNameSize, colourName, colourNameSize, sizeName,
             sizeNameSize))} HRESULT CVisualStyles::GetThemeDocumentationProperty(LPCWSTR themeName,
                                                                                  LPCWSTR propertyName, LPWSTR value,
                                                                                  int size) noexcept {
    VS_CALL(GetThemeDocumentationProperty, E_FAIL, , (themeName, propertyName, value, size))} HRESULT
    CVisualStyles::DrawThemeParentBackground(HWND hwnd, HDC hdc, const RECT* rect) noexcept {
        VS_CALL(DrawThemeParentBackground, E_FAIL, ,
                (hwnd, hdc, const_cast<RECT*>(rect)))} HRESULT CVisualStyles::EnableTheming(BOOL enable) noexcept
{
    VS_CALL(EnableTheming, E_FAIL, , (enable))
}
