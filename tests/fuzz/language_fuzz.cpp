// Fuzz target of the language-file reader. The input is read as a language
// file, then applied to tables of its own as the program applies one at
// start-up (without anybody to ask), and every text it gave is filled with
// arguments of every kind, as the program fills them.
//
// What a caller relies on: no value holds a line end or a NUL byte, none is
// longer than a line may be, and a file applies without a fault whatever its
// placeholders are.
#include <string>

#include "app/text/language_files.h"
#include "app/text/text_format.h"
#include "fuzz_driver.h"

int ZwFuzzOne(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto parsed = zw::TLanguageFileData::Parse(bytes);
  for (const auto& key : parsed.Keys()) {
    const std::string value = parsed.Value(key);
    if (key.empty() || value.size() > zw::kMaxLanguageLine ||
        value.find_first_of(std::string("\n\0", 2)) != std::string::npos)
      __builtin_trap();
  }

  const std::string path = ZwFuzzInputFile(data, size, "language", ".zwl");
  if (path.empty()) return 0;
  zw::TStringTable strings;
  zw::TMessageTable messages;
  zw::TWindowTexts window;
  zw::TApplyOptions options;
  options.strings = &strings;
  options.messages = &messages;
  options.window = &window;
  if (zw::ApplyLanguageFile(path, options) != zw::TApplyResult::Applied) __builtin_trap();
  const zw::TFmtArgs args = {zw::TFmtArg(std::string("a%sb")), zw::TFmtArg(int64_t{-7}),
                             zw::TFmtArg(int64_t{1234567})};
  for (size_t i = 0; i < zw::kStrCount; ++i) zw::Format(strings.Str(zw::TStrID(i)), args);
  for (size_t i = 0; i < zw::kMsgCount; ++i) zw::Format(messages.Text(zw::TMsgID(i)), args);
  return 0;
}

#ifdef ZW_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return ZwFuzzOne(data, size);
}
#endif
