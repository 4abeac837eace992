#include "framework/Handles.h"

#include <commctrl.h>

void handle_traits::ImageList::Close(HIMAGELIST h) noexcept { ::ImageList_Destroy(h); }
