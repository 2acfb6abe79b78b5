#include <windows.h>

#include "message_box.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

void showMessageBox(const char16_t* text, const char16_t* caption) {
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text),
                reinterpret_cast<const wchar_t*>(caption), MB_OK);
}
