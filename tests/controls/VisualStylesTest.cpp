#include "StylesFake.h"

#include "support/Harness.h"

#include <gtest/gtest.h>

using namespace stylesfake;

namespace
{

TEST(VisualStyles, TheStylesTestDecidesByVersionSchemeAndThemedApplications)
{
    struct Case {
        const char* name;
        DWORD major, minor;
        bool versionKnown;
        const wchar_t* scheme;
        HRESULT nameResult;
        BOOL appThemed;
        bool library;
        BOOL expected;
    };
    const Case cases[] = {
        {"6.0 NormalColor themed", 6, 0, true, L"NormalColor", S_OK, TRUE, true, TRUE},
        {"letter case ignored", 6, 0, true, L"nORMALcOLOR", S_OK, TRUE, true, TRUE},
        {"homestead", 6, 0, true, L"HomeStead", S_OK, TRUE, true, TRUE},
        {"metallic", 6, 0, true, L"METALLIC", S_OK, TRUE, true, TRUE},
        {"version 6.10", 6, 10, true, L"NormalColor", S_OK, TRUE, true, FALSE},
        {"version 5.82", 5, 82, true, L"NormalColor", S_OK, TRUE, true, FALSE},
        {"version 7.0", 7, 0, true, L"NormalColor", S_OK, TRUE, true, FALSE},
        {"version unreadable", 6, 0, false, L"NormalColor", S_OK, TRUE, true, FALSE},
        {"other scheme", 6, 0, true, L"Blue", S_OK, TRUE, true, FALSE},
        {"scheme with more", 6, 0, true, L"NormalColor2", S_OK, TRUE, true, FALSE},
        {"theme name fails", 6, 0, true, L"NormalColor", E_FAIL, TRUE, true, FALSE},
        {"applications not themed", 6, 0, true, L"NormalColor", S_OK, FALSE, true, FALSE},
        {"no library", 6, 0, true, L"NormalColor", S_OK, TRUE, false, FALSE},
    };
    for (const Case& c : cases) {
        Current() = Answers{c.scheme, c.nameResult, c.appThemed, {}};
        CVisualStyles styles(Make(c.major, c.minor, c.library, c.versionKnown));
        EXPECT_EQ(styles.IsVisualStylesActive(), c.expected) << c.name;
    }
}

TEST(VisualStyles, TheFirstAnswerStaysAndLookupsAreRemembered)
{
    Current() = Answers{};
    Current().appThemed = FALSE;
    CVisualStyles styles(Make(6, 0));
    EXPECT_FALSE(styles.IsVisualStylesActive());
    Current().appThemed = TRUE; // a change during the run is not noticed
    EXPECT_FALSE(styles.IsVisualStylesActive());
    EXPECT_FALSE(styles.IsVisualStylesActive());
    EXPECT_EQ(Current().lookups["IsAppThemed"], 1);
    EXPECT_EQ(Current().lookups["GetCurrentThemeName"], 1);
    // Every later call of a function goes to what the first call found.
    styles.IsAppThemed();
    styles.IsAppThemed();
    EXPECT_EQ(Current().lookups["IsAppThemed"], 1);
    EXPECT_EQ(Current().lookups.count("OpenThemeData"), 0u);
    styles.OpenThemeData(nullptr, L"COMBOBOX");
    styles.OpenThemeData(nullptr, L"COMBOBOX");
    EXPECT_EQ(Current().lookups["OpenThemeData"], 1);
}

TEST(VisualStyles, WithoutTheLibraryEveryFunctionFallsBack)
{
    Current() = Answers{};
    CVisualStyles styles(Make(6, 0, false));
    EXPECT_FALSE(styles.LibraryLoaded());
    EXPECT_EQ(styles.OpenThemeData(nullptr, L"COMBOBOX"), nullptr);
    harness::Picture pic(20, 20);
    const RECT r{0, 0, 20, 20};
    EXPECT_EQ(styles.DrawThemeBackground(reinterpret_cast<HTHEME>(1), pic.DC(), 1, 1, &r, nullptr), E_FAIL);
    EXPECT_EQ(pic.Count(RGB(255, 0, 255), r), 400); // nothing drawn
    COLORREF colour = 7;
    EXPECT_EQ(styles.GetThemeColor(nullptr, 1, 1, 3801, &colour), E_FAIL);
    EXPECT_EQ(styles.CloseThemeData(nullptr), E_FAIL);
    EXPECT_EQ(styles.GetThemeSysColor(nullptr, COLOR_WINDOW), 0xFFFFFFu);
    EXPECT_FALSE(styles.IsAppThemed());
    EXPECT_FALSE(styles.IsThemeActive());
    EXPECT_EQ(styles.GetWindowTheme(nullptr), nullptr);
    EXPECT_EQ(styles.GetThemeAppProperties(), 0u);
    EXPECT_EQ(styles.EnableTheming(TRUE), E_FAIL);
    wchar_t name[8] = {};
    EXPECT_EQ(styles.GetCurrentThemeName(name, 8, name, 8, nullptr, 0), E_FAIL);
    styles.SetThemeAppProperties(0); // no effect, no crash
}

TEST(VisualStyles, TheProcessWideObjectLoadedTheLibraryByName)
{
    EXPECT_TRUE(g_VisualStyles.LibraryLoaded());
    EXPECT_NE(::GetModuleHandleA("uxtheme.dll"), nullptr);
    EXPECT_EQ(&CVisualStyles::Current(), &g_VisualStyles);
    // The real answer is whatever this system says, but it is the same every time.
    const BOOL first = g_VisualStyles.IsVisualStylesActive();
    EXPECT_EQ(g_VisualStyles.IsVisualStylesActive(), first);
}

} // namespace
