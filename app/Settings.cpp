#include "app/Globals.h"
#include "app/RegistryKey.h"

namespace
{
constexpr const char* kSettingsKey = "Software\\Marlisk\\Settings";
}

void LoadSettings()
{
    CRegistryKey key;
    key.SetRootKey(HKEY_CURRENT_USER);
    if (!key.SetKey(kSettingsKey, false))
        return; // no settings yet: every global keeps its default
    g_strSavedDir.Set(key.ReadString("SavedDir", g_strSavedDir.Get()));
    g_nHue = key.ReadInt("HUE", g_nHue);
    g_nSatu = key.ReadInt("Satu", g_nSatu);
    g_nR = key.ReadInt("r", g_nR);
    g_nG = key.ReadInt("g", g_nG);
    g_nB = key.ReadInt("b", g_nB);
    g_nWidth = key.ReadInt("width", g_nWidth);
    g_nHeight = key.ReadInt("height", g_nHeight);
    g_bDelVideoCheck = key.ReadBool("DelVideoCheck", g_bDelVideoCheck);
    g_bTvVideoCheck = key.ReadBool("TvVideoCheck", g_bTvVideoCheck);
    g_nType = key.ReadInt("Type", g_nType);
}

void SaveSettings()
{
    CRegistryKey key;
    key.SetRootKey(HKEY_CURRENT_USER);
    if (!key.SetKey(kSettingsKey, true))
        return;
    // A failed write is left alone; the next value is still written.
    key.WriteString("SavedDir", g_strSavedDir.Get());
    key.WriteInt("HUE", g_nHue);
    key.WriteInt("Satu", g_nSatu);
    key.WriteInt("r", g_nR);
    key.WriteInt("g", g_nG);
    key.WriteInt("b", g_nB);
    key.WriteInt("width", g_nWidth);
    key.WriteInt("height", g_nHeight);
    key.WriteBool("DelVideoCheck", g_bDelVideoCheck);
    key.WriteBool("TvVideoCheck", g_bTvVideoCheck);
    key.WriteInt("Type", g_nType);
}
