// The stand-in VC 2010 x86 runtime (tools/vcredist, built into bin\vcredist beside the test
// programs) and the Windows Installer of the test prefix: ask, install and remove products.
//
//   harness::ScopedProduct runtime(harness::VcRuntimeFile("runtime-3.msi"), harness::kVcRuntimeCodes[2]);
//   ... the runtime counts as installed here; it is removed again at the end of the scope unless it
//   was there before.
#pragma once

#include <windows.h>

#include <string>

namespace harness
{

// The runtime's product codes, in the order the program asks them; bin\vcredist\runtime-N.msi
// carries code N. vcredist_x86.exe installs runtime-3.msi.
extern const char* const kVcRuntimeCodes[4];
// The product code of bin\vcredist\runtime-other.msi, which vcredist_x86_never.exe installs: none of
// the runtime's.
extern const char kVcOtherCode[];

// A file of bin\vcredist ("vcredist_x86.exe", "runtime-1.msi" ...).
std::string VcRuntimeFile(const std::string& name);
// The product state through msi.dll's named export (MsiQueryProductStateA) is "installed".
bool ProductInstalled(const std::string& code);
bool AnyVcRuntimeInstalled();
// Runs msiexec with the arguments and waits; its exit code.
DWORD Msiexec(const std::string& arguments);

// Installs a package for the scope ("/i ... /q") and removes its product at the end ("/x ... /q"),
// unless the product was installed before.
class ScopedProduct
{
public:
    ScopedProduct(const std::string& package, const std::string& code);
    // Installs nothing; removes the product at the end if it was absent now (for a product that the
    // code under test installs).
    explicit ScopedProduct(const std::string& code);
    ~ScopedProduct();
    ScopedProduct(const ScopedProduct&) = delete;
    ScopedProduct& operator=(const ScopedProduct&) = delete;
    bool Installed() const { return ProductInstalled(m_code); }

private:
    std::string m_code;
    bool m_remove = true;
};

} // namespace harness
