#include "app/Globals.h"

#include "BuildConfig.h"

std::string g_strAppDir;
std::string g_strServerBase = TASVRIN_CDN_BASE;
const std::string g_strSiteBase = TASVRIN_SITE_BASE;
const std::string g_strVersion = "10.9";
const std::string g_strAppName = "Tasvrin";

SharedString g_strSavedDir("C:\\Video");
int g_nHue = 94;
int g_nSatu = 97;
int g_nR = 132;
int g_nG = 101;
int g_nB = 117;
int g_nWidth = 300;
int g_nHeight = 200;
std::atomic<int> g_bDelVideoCheck{1};
std::atomic<int> g_bTvVideoCheck{1};
std::atomic<int> g_nType{0};
