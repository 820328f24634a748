// What the CLI needs to know about the terminal it runs in.
#pragma once

namespace qv::cli {

// Whether standard error is a terminal (progress bars go there only then).
bool stderrIsTerminal();

}  // namespace qv::cli
