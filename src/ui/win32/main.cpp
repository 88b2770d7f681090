// zwillo.exe: the desktop program. The window is the main form's host; the
// command line is the same script language as the program without a window.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <memory>

#include "app/main/program.h"
#include "app/options/long_options.h"
#include "platform/console.h"
#include "ui/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  OleInitialize(nullptr);  // COM in this thread, and the OLE drag and drop
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  int status = 1;
  {
    zw::TProgram program;
    auto window = std::make_unique<zw::win::TForm1>(program, instance);
    zw::win::TForm1& form1 = *window;
    program.Attach(std::move(window));
    zw::TMainForm& form = program.Form();
    form1.SetForm(&form);
    // The long options are taken out of the command line; the rest is the
    // script, run once the window shows.
    zw::TSplitCommandLine line;
    if (zw::SplitCommandLine(__argc, __argv, zw::platform::RawCommandLine(), line,
                             form.Presenter()) &&
        form1.Create(line.commandLine, showCommand))
      status = form1.Run(line.firstArgument, line.commandLine, line.options);
  }
  OleUninitialize();
  return status;
}
