// A remembered root and key path with one registry operation per call: every call opens the key,
// works and closes it again, so no handle is held between calls. Reads never fail loudly; they
// return the caller's fallback.
#pragma once

#include <windows.h>

#include <string>

class CRegistryKey
{
public:
    CRegistryKey() = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = default;
    CRegistryKey& operator=(const CRegistryKey&) = default;

    // Key management.
    bool SetRootKey(HKEY root) noexcept;
    bool SetKey(const std::string& path, bool mayCreate) noexcept;
    bool CreateKey(const std::string& path) noexcept;
    bool KeyExists(const std::string& path, HKEY root = nullptr) const noexcept;
    bool DeleteKey(const std::string& path) noexcept;
    bool ValueExists(const std::string& name) const noexcept;
    bool DeleteValue(const std::string& name) noexcept;
    DWORD GetDataType(const std::string& name) const noexcept;
    int GetDataSize(const std::string& name) const noexcept;
    int GetSubKeyCount() const noexcept;
    int GetValueCount() const noexcept;
    bool Close() noexcept;

    // Typed reads.
    int ReadInt(const std::string& name, int fallback) const noexcept;
    // The stored 32-bit number, used as a boolean (0 = false); not normalised, like WriteBool.
    int ReadBool(const std::string& name, int fallback) const noexcept;
    std::string ReadString(const std::string& name, const std::string& fallback) const;

    // Typed writes.
    bool WriteString(const std::string& name, const std::string& text) noexcept;
    bool WriteInt(const std::string& name, int value) noexcept;
    bool WriteBool(const std::string& name, int value) noexcept;

    HKEY GetRootKey() const noexcept { return m_hRoot; }
    const std::string& GetKeyPath() const noexcept { return m_strKeyPath; }
    void SetNoFlush(bool noFlush) noexcept { m_bNoFlush = noFlush; }

private:
    // Reads a value of exactly `size` bytes; false when the key or value can't be read, or the
    // stored data has another size.
    bool ReadFixed(const std::string& name, void* data, DWORD size) const noexcept;
    bool WriteRaw(const std::string& name, DWORD type, const void* data, DWORD size) noexcept;

    HKEY m_hRoot = HKEY_CURRENT_USER;
    bool m_bNoFlush = true;
    std::string m_strKeyPath;
};
