// A program file's head, read from the machine's file system for the model's reader.
#pragma once

#include "tools/model/program_image.h"

#include <string>

// What the file at a Windows path is as a program; Unread when it cannot be opened or read.
ProgramImage ReadProgramFile(const std::string& windowsPath);
