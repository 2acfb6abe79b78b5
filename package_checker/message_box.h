// The modal notice that tells the user the outcome.
#pragma once

inline constexpr char16_t kNoticeCaption[] = u"提示";

// Shows a modal box with an OK button, no owner window, and returns once it is closed.
// Both texts are UTF-16.
void showMessageBox(const char16_t* text, const char16_t* caption);
