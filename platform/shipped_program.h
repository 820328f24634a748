// Sibling programs shipped beside the main one, and the copy of one that runs.
//
// On Windows a sibling may be shipped with its first two bytes changed, so that nothing takes
// the file for a program while it lies there (the decryption tool ships as "tool" this way).
// Before it runs it is copied into a work folder as NAME.exe with "MZ" put back. Elsewhere a
// sibling is shipped runnable and runs where it lies.
#pragma once

#include <string>

namespace qv::platform {

// The file name a sibling has on this system: windowsName on Windows, otherName elsewhere.
const char* siblingProgramName(const char* windowsName, const char* otherName);

// The program to start for the shipped sibling. On Windows: workFolder + runName + ".exe",
// written from the shipped file with "MZ" put back (87 when the shipped file is shorter than
// two bytes or larger than any such tool, else the code of reading or writing). Elsewhere: the
// shipped file itself. 87 when the shipped file is not there.
int runnableSibling(const std::string& shipped, const std::string& workFolder,
                    const std::string& runName, std::string* program);

}  // namespace qv::platform
