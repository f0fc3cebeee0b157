// The installer's process: App::RunInstaller with the real steps, the
// toolkit's set-up and the main window, or the silent install in its place.
#pragma once

namespace App {

// The exit code when the main window cannot be created at all.
constexpr int kExitNoWindow = 10;

// The whole process after the platform's entry point; its exit code.
int RunSetup();

// The toolkit's set-up that only the platform does (Windows: the instance
// handle the windows and their icon come from). Called by RunSetup.
void PrepareToolkitPlatform();

// Whether a window can be shown at all (Linux: the X display opens); when
// not, the process ends with kExitNoWindow and a message instead of
// running a window nobody sees.
bool WindowsCanShow();

}  // namespace App
