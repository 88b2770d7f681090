// The program around its main form, whichever host shows it: the scan log,
// the queue through which the worker threads reach the main thread, the
// form, and the road from start to exit status.
//
//   TProgram program;                        // log and event queue
//   auto host = std::make_unique<MyHost>(program);  // dispatches events through it
//   program.Attach(std::move(host));         // the form, bound to the host
//   if (!program.Start(argv[1], commandLine)) return 1;
//   return program.Finish();                 // runs the host until the script is over
#pragma once
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/host.h"
#include "app/log/scan_log.h"

namespace zw {

class TMainForm;
class TEventQueue;

class TProgram {
 public:
  TProgram();
  ~TProgram();
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;

  TZWLog& Log() { return log_; }
  // Takes the host and makes the form bound to it. The form goes first,
  // then the host, then the queue and the log.
  void Attach(std::unique_ptr<IHost> host);
  TMainForm& Form() { return *form_; }

  // Handles the worker messages that arrive within `wait` (a host's event
  // loop calls it between its own duties).
  void DispatchEvents(std::chrono::milliseconds wait);

  // Reads the stored settings and chooses the language, applies the long
  // options of the command line (ApplyLongOptions) to the settings in force,
  // imports a result list file named as the first argument, then parses and
  // runs the command line. False when an option was refused or the named
  // result list could not be imported: then nothing else runs.
  bool Start(const std::string& firstArgument, const std::string& commandLine,
             const std::vector<std::string>& longOptions = {});
  // Lets the host run until the script and any scan or file action are
  // over, saves the settings (when "save settings" is on), stops the worker
  // messages, and gives the exit status: 0 when the
  // script ran to its end, 1 when it did not parse or a command failed.
  int Finish();

 private:
  TZWLog log_;
  std::unique_ptr<TEventQueue> events_;
  std::unique_ptr<IHost> host_;
  std::unique_ptr<TMainForm> form_;
  bool parsed_ = false;
};

}  // namespace zw
