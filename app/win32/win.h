// The Windows headers the shell uses, without the old "near" and "far" macros of <windows.h>
// (the calculation state has fields of those names).
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#undef near
#undef far
