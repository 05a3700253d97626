// The launcher's entry point: everything happens in RunLauncher.
#include "launcher/launch_context.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return RunLauncher(instance, showCommand);
}
