// The words of a failed start: the box that names the application that could not be started.
#include "launcher/app_launch.h"

std::string LaunchFailureText(const char* applicationPath) {
  std::string text = "Kavelo2 failed to launch '";
  text += applicationPath;
  text += "'\r\rEither the application is in the wrong place or its name is wrong.";
  return text;
}
