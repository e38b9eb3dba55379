#pragma once
// <windows.h> for the Win32 toolkit, without the macros that clash with names
// of the program's own classes and functions (the painter's DrawText, the
// foundation's memory helpers). Code that wants those Win32 calls names their
// W forms (DrawTextW, RtlZeroMemory ...).
#include <windows.h>

#undef DrawText
#undef ZeroMemory
#undef FillMemory
#undef CopyMemory
#undef MoveMemory
