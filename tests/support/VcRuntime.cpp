#include "support/VcRuntime.h"

#include "framework/Handles.h"

namespace harness
{

const char* const kVcRuntimeCodes[4] = {
    "{196BB40D-1578-3D01-B289-BEFC77A11A1E}",
    "{DA5E371C-6333-3D8A-93A4-6FD5B20BCC6E}",
    "{F0C3E5D1-1ADE-321E-8167-68EF0DE699A5}",
    "{1D8E6291-B0D5-35EC-8441-6616F567A0F7}",
};
const char kVcOtherCode[] = "{8E3A4C2B-7D61-4F0E-A9B5-3C2D1E0F9A87}";

std::string VcRuntimeFile(const std::string& name)
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    dir.erase(dir.find_last_of('\\'));
    return dir + "\\vcredist\\" + name;
}

bool ProductInstalled(const std::string& code)
{
    UniqueModule msi(::LoadLibraryA("msi.dll"));
    if (!msi)
        return false;
    using Query = int(WINAPI*)(const char*);
    const auto query = reinterpret_cast<Query>(::GetProcAddress(msi.Get(), "MsiQueryProductStateA"));
    return query && query(code.c_str()) == 5; // INSTALLSTATE_DEFAULT
}

bool AnyVcRuntimeInstalled()
{
    for (const char* code : kVcRuntimeCodes)
        if (ProductInstalled(code))
            return true;
    return false;
}

DWORD Msiexec(const std::string& arguments)
{
    std::string command = "msiexec.exe " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return ::GetLastError();
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    ::WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.Get(), &code);
    return code;
}

ScopedProduct::ScopedProduct(const std::string& package, const std::string& code) : m_code(code)
{
    m_remove = !ProductInstalled(code);
    if (m_remove)
        Msiexec("/i \"" + package + "\" /q");
}

ScopedProduct::ScopedProduct(const std::string& code) : m_code(code)
{
    m_remove = !ProductInstalled(code);
}

ScopedProduct::~ScopedProduct()
{
    if (m_remove && ProductInstalled(m_code))
        Msiexec("/x " + m_code + " /q");
}

} // namespace harness
