// Whether Windows starts a program only with administrator rights, as data: Windows Vista and
// later start a program that asks for them, or that they take for an installer, only when its
// parent asks for elevation, and CreateProcess (the launcher's way of starting its application)
// never does: it fails with ERROR_ELEVATION_REQUIRED.
#pragma once

#include "tools/model/program_image.h"
#include "tools/model/windows_version.h"

#include <string>

enum class ElevationReason {
  None,
  RequiresAdministrator,  // its manifest asks for administrator rights
  HighestAvailable,       // its manifest asks for the user's highest rights: an administrator's,
                          // when the user is one
  InstallerName,          // a 32-bit program without a requested level whose file name reads as an
                          // installer's
  InstallerVersionString, // the same, by a string of its version block
};

struct ElevationNeed {
  ElevationReason reason = ElevationReason::None;
  // For the installer reasons: the word found ("setup"), the text it was found in (the file name,
  // or the string's text) and, for a version string, its key ("FileDescription").
  std::string word, text, key;
};

// What Windows `windows` asks of a program `image` named `fileName` (its name without a folder).
// An unknown version counts as one before Windows Vista, which asks for nothing.
ElevationNeed ElevationNeeded(const ProgramImage& image, const std::string& fileName, const WindowsVersion& windows);
