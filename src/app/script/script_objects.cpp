#include "app/script/script_objects.h"
#include "app/text_ids.h"

#include <utility>

namespace zw {

TZWScrParent::TZWScrParent() = default;

TZWScrParent::~TZWScrParent() { FreeList(); }

void TZWScrParent::Append(std::unique_ptr<TZWScrObject> object) {
  if (!object) return;
  object->next_.reset();
  TZWScrObject* raw = object.get();
  if (tail_)
    tail_->next_ = std::move(object);
  else
    head_ = std::move(object);
  tail_ = raw;
}

void TZWScrParent::AppendWaiting(std::unique_ptr<TZWScrObject> object) {
  if (!object) return;
  Append(std::move(object));
  running_ = true;
}

size_t TZWScrParent::Count() const {
  size_t n = 0;
  for (const TZWScrObject* o = head_.get(); o; o = o->next_.get()) ++n;
  return n;
}

TZWCommandLine& TZWScrParent::MakeOnErrorScript() {
  if (!onError_) onError_ = std::make_unique<TZWCommandLine>();
  return *onError_;
}

std::unique_ptr<TZWCommandLine> TZWScrParent::TakeOnErrorScript() { return std::move(onError_); }

std::unique_ptr<TZWScrObject> TZWScrParent::PopHead() {
  std::unique_ptr<TZWScrObject> object = std::move(head_);
  if (object) {
    head_ = std::move(object->next_);
    if (!head_) tail_ = nullptr;
  }
  return object;
}

void TZWScrParent::PushHead(std::unique_ptr<TZWScrObject> object) {
  if (!head_) tail_ = object.get();
  object->next_ = std::move(head_);
  head_ = std::move(object);
}

void TZWScrParent::FreeList() {
  // One by one, so that a long list does not free itself recursively.
  while (head_) PopHead();
}

TScrResult TZWScrParent::Execute(IScriptEnvironment& env) {
  if (executing_) {
    resumeRequested_ = true;
    return srAgainWait;
  }
  executing_ = true;
  aborted_ = false;
  running_ = true;
  TScrResult result = failedOnError_ ? RunOnError(env) : RunList(env);
  executing_ = false;
  running_ = result == srAgainWait;
  return result;
}

TScrResult TZWScrParent::RunList(IScriptEnvironment& env) {
  for (;;) {
    env.BeforeCommand();
    if (aborted_) return srFailed;
    std::unique_ptr<TZWScrObject> object = PopHead();
    if (!object) return srDone;
    current_ = object.get();
    resumeRequested_ = false;
    TScrResult result = object->Execute(env);
    current_ = nullptr;
    if (aborted_) return srFailed;
    switch (result) {
      case srDone:
        break;
      case srDoneWait:
        object.reset();
        if (resumeRequested_) break;  // the scan has already ended
        return srAgainWait;
      case srAgainWait:
        PushHead(std::move(object));
        if (resumeRequested_) break;
        return srAgainWait;
      case srEndScript:
        object.reset();
        FreeList();
        onError_.reset();
        return srEndScript;
      default: {
        if (object->IsCommand()) {
          const auto& command = static_cast<const TZWScrCommand&>(*object);
          env.Messenger().ShowMsg(msgScriptExecutionFailed, {command.GetName()});
        }
        object.reset();
        if (!onError_) return srFailed;
        failedOnError_ = std::move(onError_);
        return RunOnError(env);
      }
    }
  }
}

// Runs (or resumes) the on-error script of a failure; the list has failed
// whatever the on-error script does, but it waits while that script waits.
TScrResult TZWScrParent::RunOnError(IScriptEnvironment& env) {
  std::unique_ptr<TZWCommandLine> script = std::move(failedOnError_);
  for (;;) {
    current_ = script.get();
    resumeRequested_ = false;
    TScrResult result = script->Execute(env);
    current_ = nullptr;
    if (aborted_) return srFailed;
    if (result != srAgainWait) return srFailed;
    if (!resumeRequested_) {
      failedOnError_ = std::move(script);
      return srAgainWait;
    }
  }
}

void TZWScrParent::Abort() {
  running_ = false;
  FreeList();
  onError_.reset();
  failedOnError_.reset();
  if (executing_) {
    aborted_ = true;
    if (current_) current_->Abort();
  }
}

}  // namespace zw
