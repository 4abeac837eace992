// PLACEHOLDER: minimal body so that everything links; its owner replaces this whole file.
#include "controls/Hyperlink.h"

CHyperlink::CHyperlink() = default;
CHyperlink::~CHyperlink() = default;
