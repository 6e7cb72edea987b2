#include "window/hover.h"

#include <utility>

#include "window/label.h"

namespace convert {

void Hover::Moved(Label& label) {
    if (label_ != &label) Enter(label);
}

void Hover::Left(Label& label) {
    if (label_ == &label) Leave();
}

// Left while it still has its window, so that its leave undoes what its
// enter set (the hand cursor is the window's, not the label's); forgotten
// even when the leave is refused, as it will not come back.
void Hover::Gone(Label& label) {
    if (label_ != &label) return;
    Leave();
    label_ = nullptr;
}

void Hover::Enter(Label& label) {
    if (label_) Leave();
    if (label_) return;
    label_ = &label;
    if (!label.FireMouseEnter()) label_ = nullptr;
}

void Hover::Leave() {
    Label* label = std::exchange(label_, nullptr);
    if (!label->FireMouseLeave()) label_ = label;
}

void Hover::PointerOver(HWND hwnd) {
    if (label_ && label_->Handle() != hwnd) Leave();
}

void Hover::Recheck() {
    POINT point;
    if (label_ && GetCursorPos(&point)) PointerOver(WindowFromPoint(point));
}

}  // namespace convert
