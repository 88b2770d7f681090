// The consumer of duplicate sets. A file pool hands its candidate sets to the
// next stage, which is either the content comparer (which splits them into
// true duplicate sets and passes those on) or the result list.
#pragma once
#include "engine/common/file_infos.h"

namespace zw {

class TResultManager {
 public:
  virtual ~TResultManager() = default;
  // Takes a null-terminated list (through Next) of at least two entries that
  // form one set, and becomes responsible for freeing them.
  virtual void AddSet(TFileInfos* first) = 0;
};

}  // namespace zw
