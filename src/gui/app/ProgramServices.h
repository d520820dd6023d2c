// The one place where the program installs the services the lower layers call: dialogs,
// editors, exporters, progress windows, the world image renderer and the seed clock (the
// main frame answers the frame requests itself). The application calls it once its main
// window exists, before the document is made; the start-up test checks every registered
// service slot (base/ServiceSlots.h) afterwards.
#pragma once

namespace kv {

class CMainFrame;

// Installs every service over the main frame (owner of the progress and modeless windows).
void InstallProgramServices(CMainFrame& frame);
// Takes back the services that refer to the main frame.
void RemoveProgramServices();

} // namespace kv
