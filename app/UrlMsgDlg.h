// The URL help: shown when Download is pressed with an empty address box; explains the two ways to
// start a download.
#pragma once

#include "framework/Dialog.h"

// The example watch-page address and the video site's domain shown in the help texts.
extern const char* const kExampleWatchUrl;
extern const char* const kVideoSiteDomain;

class UrlMsgDlg : public DialogEx
{
public:
    UrlMsgDlg() noexcept;

protected:
    BOOL OnInitDialog() noexcept override;
};
