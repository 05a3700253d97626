// Drives an application's compatibility layers from the outside with the product's own code
// (app_layers.h, app_layer_registry.h, and the checker's words), so that the end-to-end tests can
// check with "reg query" what the Windows edge reads, writes and removes.
//
//   app_layers get PATH                          prints the layers as the checker reports them
//   app_layers set PATH [8|16] [640x480] [nofso]  gives PATH exactly these settings, keeping every
//                                                other layer name; prints what came of it
//   app_layers clear PATH                        the same with none of them
//
// The Windows version is the one ntdll reports. Exit status 0 when done, 1 when the edge refused
// or failed, 2 on a usage error.
#include "tools/machine/app_layer_registry.h"
#include "tools/model/layers_text.h"
#include "tools/machine/ntdll_version.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage() {
  std::printf("usage: app_layers get PATH | set PATH [8|16] [640x480] [nofso] | clear PATH\n");
  return 2;
}

int Set(const char* path, int count, char** words) {
  AppLayerSettings settings;
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(words[i], "8") == 0) settings.reducedColour = ReducedColour::EightBit;
    else if (std::strcmp(words[i], "16") == 0) settings.reducedColour = ReducedColour::SixteenBit;
    else if (std::strcmp(words[i], "640x480") == 0) settings.run640x480 = true;
    else if (std::strcmp(words[i], "nofso") == 0) settings.noFullScreenOptimisations = true;
    else return Usage();
  }
  LayerWriteOutcome outcome = SetApplicationLayers(path, settings, ReadWindowsVersion());
  std::printf("%s\n", LayerOutcomeText(outcome, path, Rendering::Escaped).c_str());
  bool done = outcome.result == LayerWriteOutcome::Result::Written || outcome.result == LayerWriteOutcome::Result::Removed;
  return done ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "get") == 0) {
    AppLayersReading reading = ReadApplicationLayers(argv[2]);
    std::printf("%s\n", LayersText(reading, Rendering::Escaped).c_str());
    bool read = reading.status == AppLayersReading::Status::Found || reading.status == AppLayersReading::Status::NoKey ||
                reading.status == AppLayersReading::Status::NoValue;
    return read ? 0 : 1;
  }
  if (argc >= 3 && std::strcmp(argv[1], "set") == 0) return Set(argv[2], argc - 3, argv + 3);
  if (argc == 3 && std::strcmp(argv[1], "clear") == 0) return Set(argv[2], 0, argv + 3);
  return Usage();
}
