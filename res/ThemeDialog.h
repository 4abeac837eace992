// Controls of the colour theme dialog (template 130).
#pragma once
#define IDC_SLIDER_RED 1017
#define IDC_SLIDER_GREEN 1018
#define IDC_SLIDER_BLUE 1084
