// A text link drawn as its caption only, opening its address when clicked.
#pragma once

#include "framework/Window.h"

class CHyperlink : public Window {
public:
    CHyperlink();
    ~CHyperlink() override;
};
