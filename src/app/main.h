// The installer's process: App::RunInstaller with the real steps, the
// toolkit's set-up and the main window, or the silent install in its place.
#pragma once

namespace App {

// The whole process after the platform's entry point; its exit code.
int RunSetup();

// The toolkit's set-up that only the platform does (Windows: the instance
// handle the windows and their icon come from). Called by RunSetup.
void PrepareToolkitPlatform();

}  // namespace App
