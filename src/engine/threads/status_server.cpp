#include "engine/threads/status_server.h"

namespace zw {

TZWStatusServer::TZWStatusServer(IStatusTarget* window) : window_(window) {}

void TZWStatusServer::PostStatus(TStrID id) {
  TStatusEvent ev;
  ev.kind = TStatusMsg::StatusText;
  ev.value = id;
  if (window_) window_->Post(std::move(ev));
}

void TZWStatusServer::PostStatus(TStrID id, std::string path) {
  TStatusEvent ev;
  ev.kind = TStatusMsg::StatusText;
  ev.value = id;
  ev.path = std::make_shared<const std::string>(std::move(path));
  if (window_) window_->Post(std::move(ev));
}

void TZWStatusServer::PostTask(int task) {
  TStatusEvent ev;
  ev.kind = TStatusMsg::Task;
  ev.value = task & 0x7F;
  if (window_) window_->Post(std::move(ev));
}

void TZWStatusServer::SetMaximum(int32_t maximum) {
  position_.store(0);
  maximum_.store(maximum);
  TStatusEvent ev;
  ev.kind = TStatusMsg::ProgressMax;
  ev.value = maximum;
  if (window_) window_->Send(ev);
}

void TZWStatusServer::SetQuiet(bool quiet) {
  if (quiet_.exchange(quiet) == quiet) return;
  if (quiet && Current() != strNone) PostStatus(Current());
}

void TZWStatusServer::RequestDebugRecord(TDebugRecord& record) {
  TStatusEvent ev;
  ev.kind = TStatusMsg::DebugRecord;
  ev.debug = &record;
  if (window_) window_->Send(ev);
}

void TZWStatusServer::SendExceptionReport(std::shared_ptr<TZWExceptInfo> report) {
  TStatusEvent ev;
  ev.kind = TStatusMsg::ExceptionReport;
  ev.report = std::move(report);
  if (window_) window_->Send(ev);
}

}  // namespace zw
