#include "engine/common/except_info.h"

#include "platform/stack_trace.h"

#include <atomic>
#include <typeinfo>

namespace zw {

namespace {
std::atomic<TStackCapture> g_capture{nullptr};

}  // namespace

void SetStackCapture(TStackCapture capture) { g_capture.store(capture); }
TStackCapture GetStackCapture() { return g_capture.load(); }

std::shared_ptr<TZWExceptInfo> TZWExceptInfo::FromCurrent(const std::string& state) {
  auto info = std::make_shared<TZWExceptInfo>();
  info->ExceptObject = std::current_exception();
  info->State = state;
  try {
    if (info->ExceptObject) std::rethrow_exception(info->ExceptObject);
  } catch (const std::exception& e) {
    info->ClassName = platform::DemangleName(typeid(e).name());
    info->Message = e.what();
  } catch (...) {
    info->ClassName = platform::CurrentExceptionTypeName();
    info->Message = "Unknown exception";
  }
  if (TStackCapture cap = GetStackCapture()) info->StackTrace = cap();
  return info;
}

}  // namespace zw
