// keypad-tool keymap: the codes that a layout makes the daemon send, which key layout file
// Android loads for the daemon's device and whether it maps them all, and a key layout file that
// does.
#pragma once

// argv holds the command's own arguments (after "keymap"). 0 every code is mapped, 1 errors,
// 2 unreadable input or a wrong command line.
int RunKeymap(int argc, char** argv);
