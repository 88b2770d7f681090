#include "engine/threads/worker_report.h"

#include <cstdio>

namespace zw {

void ReportWorkerException(int thread, int step, TZWStatusServer* status, IMessenger* messenger) {
  TDebugRecord record;
  if (status) status->RequestDebugRecord(record);
  char state[200];
  std::snprintf(state, sizeof state, "thr %d, prgr %d:%d/%d, ver %x, set %s", thread, step,
                record.position, record.maximum, record.build, record.criteria.c_str());
  auto report = TZWExceptInfo::FromCurrent(state);
  if (messenger) {
    messenger->LogMsgExcept(logUnhandledException, {report->Message}, report);
    messenger->LogMsg(logPleaseMailLog);
  }
  if (status) status->SendExceptionReport(report);
}

}  // namespace zw
