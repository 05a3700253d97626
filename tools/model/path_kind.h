// What a path names on the machine a tool runs on, as the tools' probes answer it.
#pragma once

enum class PathKind {
  Unknown,  // not known: the path lies on no drive of this machine, or it was not looked at
  Missing,
  File,
  Folder,
};
