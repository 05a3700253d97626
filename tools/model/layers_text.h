// The words about an application's compatibility layers: what the current user's value is, and
// what setting it came to.
#pragma once

#include "tools/model/app_layers.h"
#include "tools/model/shown_text.h"

#include <string>

// After "compatibility layers for this user: " in the report: the value, or "none", and whether
// Windows applies them. Names are shown as `rendering` says.
std::string LayersText(const AppLayersReading& layers, Rendering rendering);

// What setting an application's layers came to, in a sentence or two for the user.
std::string LayerOutcomeText(const LayerWriteOutcome& outcome, const std::string& applicationPath,
                             Rendering rendering);
