// GDI+ for the backend. The project builds with WIN32_LEAN_AND_MEAN, which leaves out the COM
// declarations GDI+'s headers need; this header brings them in first.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>
