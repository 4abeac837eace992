#include "app/RegistryKey.h"

#include "framework/Handles.h"

#include <cstring>
#include <vector>

namespace
{
bool IsPredefinedRoot(HKEY root) noexcept
{
    return root == HKEY_CLASSES_ROOT || root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE || root == HKEY_USERS;
}

// Paths are kept relative to the root.
std::string Relative(const std::string& path)
{
    size_t start = 0;
    while (start < path.size() && path[start] == '\\')
        ++start;
    return path.substr(start);
}

UniqueRegKey Open(HKEY root, const std::string& path, REGSAM access) noexcept
{
    UniqueRegKey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, access, key.Put()) != ERROR_SUCCESS)
        key.Release();
    return key;
}
} // namespace

bool CRegistryKey::SetRootKey(HKEY root) noexcept
{
    if (!IsPredefinedRoot(root))
        return false;
    m_hRoot = root;
    return true;
}

bool CRegistryKey::SetKey(const std::string& path, bool mayCreate) noexcept
{
    try {
        const std::string relative = Relative(path);
        if (relative.empty()) {
            m_strKeyPath.clear();
            return true;
        }
        UniqueRegKey key;
        LONG rc;
        if (mayCreate)
            rc = ::RegCreateKeyExA(m_hRoot, relative.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                   nullptr, key.Put(), nullptr);
        else
            rc = ::RegOpenKeyExA(m_hRoot, relative.c_str(), 0, KEY_ALL_ACCESS, key.Put());
        if (rc != ERROR_SUCCESS) {
            key.Release();
            return false;
        }
        if (!m_bNoFlush)
            ::RegFlushKey(key.Get());
        m_strKeyPath = relative;
        return true;
    } catch (...) {
        return false;
    }
}

bool CRegistryKey::CreateKey(const std::string& path) noexcept
{
    if (Relative(path).empty())
        return false;
    return SetKey(path, true);
}

bool CRegistryKey::KeyExists(const std::string& path, HKEY root) const noexcept
{
    try {
        return static_cast<bool>(Open(root ? root : m_hRoot, Relative(path), KEY_ALL_ACCESS));
    } catch (...) {
        return false;
    }
}

bool CRegistryKey::DeleteKey(const std::string& path) noexcept
{
    try {
        const std::string relative = Relative(path);
        if (relative.empty())
            return false; // the root itself is never deleted
        UniqueRegKey key = Open(m_hRoot, relative, KEY_READ);
        if (!key) {
            // Missing counts as deleted; a key that exists but can't be opened is not.
            UniqueRegKey probe;
            const LONG rc = ::RegOpenKeyExA(m_hRoot, relative.c_str(), 0, 0, probe.Put());
            if (rc != ERROR_SUCCESS)
                probe.Release();
            return rc == ERROR_FILE_NOT_FOUND;
        }
        DWORD subKeys = 0;
        if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subKeys != 0)
            return false;
        key.Reset();
        return ::RegDeleteKeyA(m_hRoot, relative.c_str()) == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

bool CRegistryKey::ValueExists(const std::string& name) const noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_ALL_ACCESS);
    if (!key)
        return false;
    return ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool CRegistryKey::DeleteValue(const std::string& name) noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_SET_VALUE);
    if (!key)
        return false;
    return ::RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

DWORD CRegistryKey::GetDataType(const std::string& name) const noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_QUERY_VALUE);
    if (!key)
        return 0;
    DWORD type = 0;
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return type;
}

int CRegistryKey::GetDataSize(const std::string& name) const noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_QUERY_VALUE);
    if (!key)
        return -1;
    DWORD size = 0;
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(size);
}

int CRegistryKey::GetSubKeyCount() const noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_READ);
    if (!key)
        return -1;
    DWORD count = 0;
    if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(count);
}

int CRegistryKey::GetValueCount() const noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_READ);
    if (!key)
        return -1;
    DWORD count = 0;
    if (::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(count);
}

bool CRegistryKey::Close() noexcept
{
    m_strKeyPath.clear();
    m_hRoot = HKEY_CURRENT_USER;
    m_bNoFlush = true;
    return true;
}

bool CRegistryKey::ReadFixed(const std::string& name, void* data, DWORD size) const noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_READ);
    if (!key)
        return false;
    // One byte more than wanted, so that longer data shows as too long rather than cut.
    unsigned char buffer[17] = {};
    if (size >= sizeof(buffer))
        return false;
    DWORD got = size;
    const LONG rc = ::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, buffer, &got);
    // Longer data fails with ERROR_MORE_DATA; shorter data never comes from this program and is
    // treated as unreadable rather than padded.
    if (rc != ERROR_SUCCESS || got != size)
        return false;
    memcpy(data, buffer, size);
    return true;
}

int CRegistryKey::ReadInt(const std::string& name, int fallback) const noexcept
{
    int value = 0;
    return ReadFixed(name, &value, sizeof(value)) ? value : fallback;
}

int CRegistryKey::ReadBool(const std::string& name, int fallback) const noexcept
{
    int value = 0;
    return ReadFixed(name, &value, sizeof(value)) ? value : fallback;
}

std::string CRegistryKey::ReadString(const std::string& name, const std::string& fallback) const
{
    const DWORD type = GetDataType(name);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return fallback;
    const int size = GetDataSize(name);
    if (size < 0)
        return fallback;
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_READ);
    if (!key)
        return fallback;
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    DWORD got = static_cast<DWORD>(size);
    // The value may have grown between the two queries; then the read fails and the fallback stays.
    if (::RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
        ERROR_SUCCESS)
        return fallback;
    buffer.back() = '\0';
    return std::string(buffer.data());
}

bool CRegistryKey::WriteRaw(const std::string& name, DWORD type, const void* data, DWORD size) noexcept
{
    UniqueRegKey key = Open(m_hRoot, m_strKeyPath, KEY_WRITE);
    if (!key)
        return false;
    if (::RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        return false;
    if (!m_bNoFlush)
        ::RegFlushKey(key.Get());
    return true;
}

bool CRegistryKey::WriteString(const std::string& name, const std::string& text) noexcept
{
    return WriteRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool CRegistryKey::WriteInt(const std::string& name, int value) noexcept
{
    return WriteRaw(name, REG_BINARY, &value, sizeof(value));
}

bool CRegistryKey::WriteBool(const std::string& name, int value) noexcept
{
    return WriteRaw(name, REG_BINARY, &value, sizeof(value));
}
