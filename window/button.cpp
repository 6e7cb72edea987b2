#include "window/button.h"

namespace convert {

DWORD Button::Style() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON; }

void Button::Command(WORD code) {
    if (code == BN_CLICKED) Fire(OnClick);
}

}  // namespace convert
