// Telling an application's compatibility layers.
#include "tools/model/layers_text.h"

#include "tools/model/shown_text.h"

namespace {

std::string PlaceText(const AppPlace& place, Rendering rendering) {
  return place.location == AppLocation::NetworkShare ? "the network share " + Shown(place.root, rendering)
                                                     : "the network drive " + Shown(place.root, rendering);
}

// The value read, or why there is none to tell.
std::string ValueText(const AppLayersReading& layers, Rendering rendering) {
  using Status = AppLayersReading::Status;
  switch (layers.status) {
    case Status::Found:
      return Quoted(layers.value, rendering);
    case Status::NoKey:
    case Status::NoValue:
      return "none";
    case Status::TooLong:
      return "a value longer than " + std::to_string(kLayerValueCapacity - 1) + " bytes, not read";
    case Status::HoldsNul:
      return "a value with a NUL byte inside it, not read";
    case Status::NotText:
      return "a value of registry type " + std::to_string(layers.type) + ", which is not text";
    case Status::Failed:
      return "not readable (Windows error " + std::to_string(layers.error) + ")";
    case Status::SeveralMedia:
      break;
  }
  return "not known: " + std::to_string(layers.media) + " media hold values for its path";
}

}  // namespace

std::string LayersText(const AppLayersReading& layers, Rendering rendering) {
  std::string text = ValueText(layers, rendering);
  if (layers.place.location == AppLocation::RemovableMedia) {
    return text + "; Windows keeps them for the medium in " + Shown(layers.place.root, rendering) +
           ", and only the program's own Compatibility tab sets them";
  }
  if (!OnNetwork(layers.place)) return text;
  return text + "; Windows applies none: the application lies on " + PlaceText(layers.place, rendering) +
         ", and compatibility settings apply to programs on local drives only";
}

std::string LayerOutcomeText(const LayerWriteOutcome& outcome, const std::string& applicationPath,
                             Rendering rendering) {
  using Result = LayerWriteOutcome::Result;
  std::string application = Shown(applicationPath, rendering);
  switch (outcome.result) {
    case Result::Written:
      return "The compatibility layers of " + application + " for this user are now " +
             Quoted(outcome.change.value, rendering) + ".";
    case Result::Removed:
      return application + " has no compatibility layers for this user now.";
    case Result::OnNetwork:
      return application + " lies on " + PlaceText(outcome.before.place, rendering) +
             ", and Windows applies compatibility settings to programs on local drives only: copy it to a local "
             "drive first.";
    case Result::OnRemovableMedia:
      return application + " lies on " + Shown(outcome.before.place.root, rendering) +
             ", a CD-ROM or removable drive, and Windows keeps its compatibility settings for the medium in it, not "
             "for the drive letter: set them on the Compatibility tab of the program's own Properties.";
    case Result::NotFullPath:
      return application + " is not a full path, and compatibility settings are kept under a program's full path.";
    case Result::Unreadable:
      return "The compatibility layers of " + application + " are left as they are: they are " +
             LayersText(outcome.before, rendering) + ".";
    case Result::Unavailable: {
      std::string names;
      for (AppLayer layer : outcome.change.unavailable) names += (names.empty() ? "" : ", ") + std::string(LayerName(layer));
      return "This version of Windows does not offer " + names + ": the compatibility layers of " + application +
             " are left as they are.";
    }
    case Result::TooLong:
      return "The compatibility layers of " + application + " would be longer than " +
             std::to_string(kLayerValueCapacity - 1) + " bytes: they are left as they are.";
    case Result::Failed:
      break;
  }
  return "Windows refused to change the compatibility layers of " + application + " (" + outcome.failedCall +
         ", error " + std::to_string(outcome.error) + ").";
}
