// The calling convention of the plain callbacks that subsystems hand each other (progress,
// preview, copy): a window procedure's page or a C caller may supply them, so 32-bit Windows
// builds use the system's standard convention; elsewhere it is the default one.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define QV_CALLBACK __stdcall
#else
#define QV_CALLBACK
#endif
