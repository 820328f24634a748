// Where the CLI finds the application's data files: config.ini and Languages/ (the language
// tables the category names and messages come from) and template/ (the HTML templates).
#pragma once

#include <string>

namespace qv::cli {

// The folder holding config.ini and Languages/: beside the program when it is there (an
// installed or packaged program), otherwise the top of the source tree the program was built
// from (a build tree); empty when neither holds config.ini.
std::string languageFolder();

// Loads the language tables from languageFolder(), when there is one; without them the
// categories' own names and the built-in message texts still work.
void loadLanguages();

// The folder whose "template" folder holds the HTML templates: languageFolder() when it has
// them, else the program's folder.
std::string templateHome();

}  // namespace qv::cli
