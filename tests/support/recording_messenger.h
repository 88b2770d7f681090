// A messenger for tests: records every message with its arguments and
// answers questions from a queue (or with their default when it is empty).
#pragma once
#include <deque>
#include <variant>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/common/messages.h"

namespace zwtest {

struct RecordedMsg {
  enum Kind { Show, Ask, Log, LogExcept } kind;
  zw::TMsgID id;
  zw::TFmtArgs args;
  std::shared_ptr<zw::TZWExceptInfo> report;

  int64_t Int(size_t i) const { return std::get<int64_t>(args.at(i)); }
  const std::string& Str(size_t i) const { return std::get<std::string>(args.at(i)); }
};

class RecordingMessenger : public zw::IMessenger {
 public:
  std::deque<int> answers;

  int ShowMsg(zw::TMsgID id, const zw::TFmtArgs& args = {}) override {
    Add({RecordedMsg::Show, id, args, nullptr});
    return zw::ansOK;
  }
  int AskMsg(zw::TMsgID id, int defaultAnswer, const zw::TFmtArgs& args = {}) override {
    std::lock_guard<std::mutex> lock(mu_);
    msgs_.push_back({RecordedMsg::Ask, id, args, nullptr});
    if (answers.empty()) return defaultAnswer;
    int a = answers.front();
    answers.pop_front();
    return a;
  }
  void LogMsg(zw::TMsgID id, const zw::TFmtArgs& args = {}) override {
    Add({RecordedMsg::Log, id, args, nullptr});
  }
  void LogMsgExcept(zw::TMsgID id, const zw::TFmtArgs& args,
                    std::shared_ptr<zw::TZWExceptInfo> report) override {
    Add({RecordedMsg::LogExcept, id, args, std::move(report)});
  }

  std::vector<RecordedMsg> Messages() const {
    std::lock_guard<std::mutex> lock(mu_);
    return msgs_;
  }
  std::vector<RecordedMsg> With(zw::TMsgID id) const {
    std::vector<RecordedMsg> out;
    for (const auto& m : Messages())
      if (m.id == id) out.push_back(m);
    return out;
  }
  bool Has(zw::TMsgID id) const { return !With(id).empty(); }
  void Clear() {
    std::lock_guard<std::mutex> lock(mu_);
    msgs_.clear();
  }

 private:
  void Add(RecordedMsg m) {
    std::lock_guard<std::mutex> lock(mu_);
    msgs_.push_back(std::move(m));
  }
  mutable std::mutex mu_;
  std::vector<RecordedMsg> msgs_;
};

// The recorded messages as one line of words: each message by its name in
// `names`, with its arguments in brackets ("range(300,260) swap(4,2)").
inline std::string Said(const RecordingMessenger& msgr,
                        const std::map<zw::TMsgID, const char*>& names) {
  std::string out;
  for (const RecordedMsg& m : msgr.Messages()) {
    out += (out.empty() ? "" : " ") + std::string(names.at(m.id));
    std::string args;
    for (size_t i = 0; i < m.args.size(); ++i)
      args += (i ? "," : "") +
              (std::holds_alternative<int64_t>(m.args[i]) ? std::to_string(m.Int(i)) : m.Str(i));
    out += args.empty() ? "" : "(" + args + ")";
  }
  return out;
}

}  // namespace zwtest
