#include <windows.h>

#include "app/main.h"

namespace App {

// The toolkit takes its module from GetModuleHandle(nullptr), which is this
// instance: the executable holds the skin and the icon.
void PrepareToolkitPlatform() {}

bool WindowsCanShow() { return true; }

}  // namespace App

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return App::RunSetup(); }
