// The keywords of the script language and the command class each selects.
// All keywords are known here; a keyword whose command is not built yet has
// no factory, and the parser treats it as an unknown command.
#pragma once
#include <memory>
#include <span>
#include <string_view>

#include "app/script/script_objects.h"

namespace zw {

using TScrCommandFactory = std::unique_ptr<TZWScrCommand> (*)();

struct TScrKeyword {
  std::string_view keyword;    // lower case
  std::string_view className;  // the command class that serves it
  bool needsParam;             // the command cannot do without its parameter
  TScrCommandFactory create;   // null: the command is not built yet

  bool Implemented() const { return create != nullptr; }
};

// The keywords in matching order (the first match wins).
std::span<const TScrKeyword> ScriptKeywords();

// The keyword that a command text starts with: the keyword must be followed
// by a blank or the end of the text. Null when none matches. The text is
// expected in lower case.
const TScrKeyword* MatchKeyword(std::string_view command);

}  // namespace zw
