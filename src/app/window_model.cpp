#include "app/window_model.h"

#include "engine/dupes/criteria.h"

namespace zw {

TCompCriteria TWindowModel::Criteria() const {
  return MakeCriteria(cbFilename, cbSize, cbDate, cbContent, advContent);
}

}  // namespace zw
