#pragma once
// Text at the Win32 edge: the core keeps ANSI text, the system hands out
// UTF-16 paths.

#include <windows.h>

#include <string>

namespace merid::platform::win32 {

// UTF-16 to the ANSI code page; a character the code page lacks becomes '?'.
std::string narrow(const std::wstring& wide, UINT codePage = CP_ACP);
std::wstring widen(const std::string& text, UINT codePage = CP_ACP);

// The full path of the module that holds this code (our DLL), in UTF-16.
std::wstring ownModulePath();

}  // namespace merid::platform::win32
