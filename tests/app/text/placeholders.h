// The placeholders of a message or string text, for checks over the tables.
#pragma once
#include <cctype>
#include <regex>
#include <string>

namespace zwtest {

// The conversion letters of the text's placeholders in order ("ds" for
// "Error %d in \"%s\""), with "!" for a "%" that starts no placeholder.
inline std::string Conversions(const std::string& text) {
  static const std::regex placeholder(R"(%(%|(\d+:)?-?(\d+|\*)?(\.\d+)?([sdnuxpf])))",
                                      std::regex::icase);
  std::string out;
  for (size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i)) {
    std::smatch m;
    if (!std::regex_search(text.begin() + long(i), text.end(), m, placeholder,
                           std::regex_constants::match_continuous)) {
      out += '!';
      ++i;
      continue;
    }
    if (m[1] != "%") out += char(std::tolower(m[5].str()[0]));
    i += size_t(m.length(0));
  }
  return out;
}

}  // namespace zwtest
