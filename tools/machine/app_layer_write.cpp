// Writing an application's compatibility layers: a source of its own, so that a program that
// only reads them (the checker) links no call that writes the registry.
#include "tools/machine/app_layer_registry.h"

#include "platform/win32_api.h"

namespace {

LayerWriteOutcome Refused(LayerWriteOutcome::Result result, const AppLayersReading& before) {
  LayerWriteOutcome outcome;
  outcome.result = result;
  outcome.before = before;
  return outcome;
}

LayerWriteOutcome Failed(LayerWriteOutcome outcome, const char* call, LONG error) {
  outcome.result = LayerWriteOutcome::Result::Failed;
  outcome.failedCall = call;
  outcome.error = error;
  return outcome;
}

LayerWriteOutcome WriteValue(const std::string& path, LayerWriteOutcome outcome) {
  HKEY key = nullptr;
  LONG created = RegCreateKeyExA(HKEY_CURRENT_USER, kLayersKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE, nullptr, &key, nullptr);
  if (created != ERROR_SUCCESS) return Failed(outcome, "RegCreateKeyExA", created);
  const std::string& value = outcome.change.value;
  LONG set = RegSetValueExA(key, path.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  if (set != ERROR_SUCCESS) return Failed(outcome, "RegSetValueExA", set);
  outcome.result = LayerWriteOutcome::Result::Written;
  return outcome;
}

LayerWriteOutcome DeleteValue(const std::string& path, LayerWriteOutcome outcome) {
  outcome.result = LayerWriteOutcome::Result::Removed;
  if (outcome.before.status != AppLayersReading::Status::Found) return outcome;
  HKEY key = nullptr;
  LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kLayersKey, 0, KEY_SET_VALUE, &key);
  if (opened != ERROR_SUCCESS) return Failed(outcome, "RegOpenKeyExA", opened);
  LONG deleted = RegDeleteValueA(key, path.c_str());
  RegCloseKey(key);
  if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return Failed(outcome, "RegDeleteValueA", deleted);
  return outcome;
}

}  // namespace

LayerWriteOutcome SetApplicationLayers(const std::string& path, const AppLayerSettings& settings,
                                       const WindowsVersion& windows) {
  using Result = LayerWriteOutcome::Result;
  AppLayersReading before = ReadApplicationLayers(path);
  if (OnNetwork(before.place)) return Refused(Result::OnNetwork, before);
  if (before.place.location == AppLocation::RemovableMedia) return Refused(Result::OnRemovableMedia, before);
  if (before.place.location == AppLocation::NotFullPath) return Refused(Result::NotFullPath, before);
  if (!before.Rewritable()) return Refused(Result::Unreadable, before);
  LayerWriteOutcome outcome = Refused(Result::Unavailable, before);
  outcome.change = ComposeLayerValue(before.value, settings, windows);
  if (!outcome.change.unavailable.empty()) return outcome;
  if (outcome.change.remove) return DeleteValue(path, outcome);
  if (outcome.change.value.size() + 1 > kLayerValueCapacity) {
    outcome.result = Result::TooLong;
    return outcome;
  }
  return WriteValue(path, outcome);
}
