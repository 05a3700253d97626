// What becomes of the launcher's start of a program file, as data: Windows starts only a program
// it can run, for the processor it runs on, and a launcher started as the application ends at once.
#pragma once

#include "tools/model/finding.h"
#include "tools/model/program_image.h"
#include "tools/model/windows_version.h"

#include <optional>
#include <string>

// IMAGE_FILE_MACHINE_AMD64 and IMAGE_FILE_MACHINE_ARM64.
constexpr uint16_t kMachineX64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;

// Why Windows `windows` refuses to start the program file `image` as the launcher starts it, as the
// application finding that says so: ApplicationIsLauncher (the copy it starts ends at once, one
// runs at a time), ApplicationNotAProgram (no program header), ApplicationIs16Bit (a DOS or 16-bit
// Windows program, which 64-bit Windows does not start) or ApplicationForOtherProcessor (a program
// for a processor this Windows does not run programs for). None where it starts, as far as the
// file tells: what the file's headers or the Windows version leave unknown is not held against it.
std::optional<FindingKind> StartRefusedFor(const ProgramImage& image, const WindowsVersion& windows);

// The launcher's FileDescription, as its build writes it into its version block: renamed copies
// still carry it, and the tools know a launcher by it.
extern const char* const kLauncherDescription;

// Whether the program's version strings give `description` as its FileDescription.
bool DescribedAs(const ProgramImage& image, const std::string& description);

// A launcher program, renamed or not: its version block describes it as the launcher.
inline bool IsLauncherImage(const ProgramImage& image) { return DescribedAs(image, kLauncherDescription); }
