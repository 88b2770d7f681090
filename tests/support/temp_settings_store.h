// Points the settings store at a throw-away place for one test: on POSIX
// XDG_CONFIG_HOME is set to a temporary folder (and restored afterwards), so
// that no test reads or writes the user's own settings; on Windows the store
// is the registry itself, and a test works below keys it deletes again.
#pragma once
#include <cstdlib>
#include <optional>
#include <string>

#include "support/temp_tree.h"

namespace zwtest {

class TempSettingsStore {
 public:
  TempSettingsStore() {
#ifndef _WIN32
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) old_ = old;
    setenv("XDG_CONFIG_HOME", tree_.RootPath().c_str(), 1);
#endif
  }
  ~TempSettingsStore() {
#ifndef _WIN32
    if (old_)
      setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
#endif
  }
  TempSettingsStore(const TempSettingsStore&) = delete;
  TempSettingsStore& operator=(const TempSettingsStore&) = delete;

  // The folder that stands for XDG_CONFIG_HOME (POSIX).
  const TempTree& Tree() const { return tree_; }

 private:
  TempTree tree_;
  std::optional<std::string> old_;
};

}  // namespace zwtest
