#include "app/main.h"

namespace App {

void PrepareToolkitPlatform() {}

}  // namespace App

int main() { return App::RunSetup(); }
