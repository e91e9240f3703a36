// The Windows headers as this folder includes them, and what its files share: the system's
// error codes in the program's words, paths in the system's form, and the lock that keeps an
// interrupt from missing a temporary being created. Only platform/windows/ uses it.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// <windows.h> first, then the headers that build on it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>

namespace scenario::system {

// The errno value the C library gives a system error code.
int errno_for(DWORD error);

// The words for a system error code: an errno value's words where one fits (the same as on every
// system), the system's own words otherwise.
std::string reason_for(DWORD error);

// Whether the code says that no file has the name (or a folder on the way is missing).
bool is_not_found(DWORD error);

// A path as the system's calls take it: UTF-16, and a long path in the form that lifts the limit
// of 260 characters.
std::wstring system_path(const std::string& path);

// Held while a temporary is being created and, once an interrupt comes, by the code that removes
// the temporaries until the program ends: a temporary is then either there to be removed, or never
// created.
SRWLOCK& temporary_creation_lock();

}  // namespace scenario::system
