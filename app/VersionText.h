// The program file's own version and the texts made from it: the install marker and the version
// shown in the main window's title.
#pragma once

#include <windows.h>

#include <string>

// The fixed file version of this program's file (high and low 32 bits); false when it has none.
bool ReadOwnFileVersion(DWORD& high, DWORD& low);
// The high 32 bits printed with "%x" (11.1 gives "b0001").
std::string InstallMarkerText(DWORD high);
// The title's version text: the "%x" text without its last four characters read as a hexadecimal
// number and printed in decimal, a full stop, and the last character ("b0001" gives "11.1"). When
// fewer than five digits are left to read, what remains after dropping four characters.
std::string VersionTitleText(DWORD high);
