// Esc in a Yes/No question means No. The system's message box ignores Esc
// when it has no Cancel button, leaving the question standing; while a guard
// lives, Esc pressed in such a box on this thread clicks the box's No.
#pragma once

#include <windows.h>

namespace zn::win32 {

class EscapeAnswersNo {
public:
    EscapeAnswersNo();
    ~EscapeAnswersNo();
    EscapeAnswersNo(const EscapeAnswersNo&) = delete;
    EscapeAnswersNo& operator=(const EscapeAnswersNo&) = delete;

private:
    // Sees every message a dialog's or a message box's own loop takes, before
    // the box does.
    static LRESULT CALLBACK filter(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
};

}  // namespace zn::win32
