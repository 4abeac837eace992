// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "app/Globals.h"

void LoadSettings() {}
void SaveSettings() {}
