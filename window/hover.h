// The label the pointer is in, for one window and shared by its controls.
//
// The pointer counts as inside from the first move over the label until
// WM_MOUSELEAVE, or until it is seen over another window of the program:
// Wine can lose WM_MOUSELEAVE (its pointer position may lag behind the move
// that asked for tracking), so leave tracking is renewed on every move and
// the other windows report where the pointer is. A crossing counts once its
// handler has run: one refused while another handler runs is made again at
// the next move or report.
#pragma once

#include <windows.h>

namespace convert {

class Label;

class Hover {
public:
    // From the label itself.
    void Moved(Label& label);
    void Left(Label& label);
    // As its window goes (WM_NCDESTROY): a hovered label is left first.
    void Gone(Label& label);
    bool Over(const Label& label) const { return label_ == &label; }

    // Every window of the program reports the window the pointer is over
    // (WM_SETCURSOR), so that a label whose WM_MOUSELEAVE was lost still leaves.
    void PointerOver(HWND hwnd);
    // Once the error box has gone: a leave refused while it was up is made
    // now if the pointer is no longer over the label.
    void Recheck();

private:
    void Enter(Label& label);
    void Leave();

    Label* label_ = nullptr;  // not ours
};

}  // namespace convert
