#pragma once

#include "core/MBLanguages.h"

#include <string>

namespace jvztest {

// A language table read from a language file with these contents, in a fresh scratch folder.
jvz::MBLanguages languageFromFile(const std::string& contents, int16_t languageNumber);

// A table in which every text the session protocol reads is its key in angle brackets ("<MSG_WrongIdent>"),
// so expected texts show which key was read. The keys live in [General], the window's section being empty.
jvz::MBLanguages bracketedSessionTexts();

} // namespace jvztest
