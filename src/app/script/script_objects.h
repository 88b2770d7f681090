// Script objects: a script is a list of command objects, executed one by one.
// A command that starts a scan makes the script wait; the end of the scan
// resumes it where it stopped.
//
//   TZWScrObject            one object of a list; Execute() -> TScrResult
//   +- TZWScrParent         a list of objects and its on-error script
//   |  +- TZWCommandLine    every script the program creates
//   +- TZWScrCommand        one command with its parsing operations
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "app/script/script_environment.h"
#include "app/text_ids.h"

namespace zw {

// Result of Execute.
enum TScrResult : int {
  srFailed = 0,     // failed
  srDone = 1,       // done
  srDoneWait = 2,   // done, and the script waits (a scan was started)
  srAgainWait = 3,  // not done yet: the script waits and runs this object again on resume
  srEndScript = 4,  // done, and the script ends here (close): nothing after it runs
};

class TZWCommandLine;

class TZWScrObject {
 public:
  TZWScrObject() = default;
  TZWScrObject(const TZWScrObject&) = delete;
  TZWScrObject& operator=(const TZWScrObject&) = delete;
  virtual ~TZWScrObject() = default;

  virtual TScrResult Execute(IScriptEnvironment& env) = 0;
  // Stops the object for good. Parents drop what is left of them; a command
  // has nothing to stop.
  virtual void Abort() {}
  virtual bool IsCommand() const { return false; }
  // The next object of the parent's list, or null.
  TZWScrObject* Next() const { return next_.get(); }

 private:
  friend class TZWScrParent;
  std::unique_ptr<TZWScrObject> next_;  // the next object of the parent's list
};

// A list of objects with an on-error script.
//
// Execute runs the objects from the head while each reports srDone and frees
// each one it is through with:
//   srFailed     a failed command shows msgScriptExecutionFailed with its
//                name; the object is freed, the on-error script runs and the
//                rest of the list stays unexecuted; Execute returns srFailed
//                (once the on-error script has ended, should it wait for a
//                scan itself);
//   srDoneWait   the object is freed and the list waits: srAgainWait;
//   srAgainWait  the object goes back to the head and the list waits;
//   srEndScript  the object is freed, and so are the rest of the list and
//                its on-error script; Execute returns srEndScript, so that
//                each parent up to the main script ends there too.
// An empty list gives srDone. Running() is true while the list waits (and
// while it executes). Execute never returns srDoneWait.
//
// Before each object the environment's BeforeCommand is called; an Abort
// there stops the list before that object.
//
// Execute may be called again while it is still executing (a scan that ends
// before the command that started it has returned): the call only records
// the resume, and the list goes on as soon as the command returns.
class TZWScrParent : public TZWScrObject {
 public:
  TZWScrParent();
  ~TZWScrParent() override;

  void Append(std::unique_ptr<TZWScrObject> object);
  // Appends an object that has already started and now waits for a scan, and
  // marks this list as waiting for it, so that the next Execute resumes it.
  void AppendWaiting(std::unique_ptr<TZWScrObject> object);
  bool Empty() const { return head_ == nullptr; }
  size_t Count() const;
  // The object at the head of the list (the next to run), or null.
  TZWScrObject* Head() const { return head_.get(); }

  // The on-error script, or null when there is none.
  TZWCommandLine* OnErrorScript() const { return onError_.get(); }
  // The on-error script, created when there is none yet.
  TZWCommandLine& MakeOnErrorScript();
  std::unique_ptr<TZWCommandLine> TakeOnErrorScript();

  bool Running() const { return running_; }

  TScrResult Execute(IScriptEnvironment& env) override;
  // running = false; frees every object left and the on-error script. Called
  // while an object executes, that object is aborted too and Execute returns
  // srFailed as soon as it comes back (no failure message, no on-error script).
  void Abort() override;

 private:
  TScrResult RunList(IScriptEnvironment& env);
  TScrResult RunOnError(IScriptEnvironment& env);
  std::unique_ptr<TZWScrObject> PopHead();
  void PushHead(std::unique_ptr<TZWScrObject> object);
  void FreeList();

  std::unique_ptr<TZWScrObject> head_;
  TZWScrObject* tail_ = nullptr;
  std::unique_ptr<TZWCommandLine> onError_;
  // The on-error script after a failure, while it waits for a scan.
  std::unique_ptr<TZWCommandLine> failedOnError_;
  bool running_ = false;
  bool executing_ = false;
  bool resumeRequested_ = false;
  bool aborted_ = false;
  TZWScrObject* current_ = nullptr;  // the object executing now (held outside the list)
};

// The class of every script the program creates.
class TZWCommandLine : public TZWScrParent {};

// One command. The parser creates it for its keyword, calls Init with that
// keyword and offers it the command's tokens:
//   ParseOption  an unquoted token (options are told apart by their first
//                character); false refuses it;
//   SetFlag      a boolean token (0 1 c f n t u y) that ParseOption refused;
//                false refuses it;
//   ParseQuoted  the text between the quotes of a quoted token (never empty);
//                false refuses it (a command takes at most as many quoted
//                texts as it has room for; one without any ignores them).
// The command is accepted when no token was refused and it has the parameter
// it needs (hasParam when needsParam).
class TZWScrCommand : public TZWScrObject {
 public:
  bool IsCommand() const override { return true; }

  virtual void Init(std::string_view keyword) {}
  virtual bool ParseOption(std::string_view token) { return false; }
  virtual bool SetFlag(bool value) { return false; }
  virtual bool ParseQuoted(std::string_view text) { return true; }
  // The class name after "TZWScrCmd_", as failure messages name the command.
  virtual std::string GetName() const = 0;

  bool needsParam = false;
  bool hasParam = false;

 protected:
  // Takes `text` as the command's one quoted text (the parameter); false for
  // a second one, which would silently replace the first.
  bool TakeQuoted(std::string& field, std::string_view text) {
    if (!field.empty()) return false;
    field = std::string(text);
    hasParam = true;
    return true;
  }
};

}  // namespace zw
