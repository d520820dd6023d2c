// The one place where the program installs the services the lower layers call: dialogs,
// editors, exporters, progress windows, the world image renderer, the seed clock and the
// main frame's requests. The application calls it once its main window exists; the
// start-up test checks every registered service slot (base/ServiceSlots.h) afterwards.
#pragma once

namespace kv {

class CMainFrame;
class CommandRouter;

// Installs every service over the main frame (owner of the progress and modeless windows;
// `router` runs the commands the document posts to the frame).
void InstallProgramServices(CMainFrame& frame, CommandRouter& router);
// Takes back the services that refer to the main frame.
void RemoveProgramServices();

} // namespace kv
