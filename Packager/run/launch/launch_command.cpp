#include "run/launch/launch_command.h"

namespace quillane {

bool ComposeLaunchCommand(const Unit* programPath, const Unit* arguments, size_t argumentsLength,
                          LaunchCommand& command) {
  const size_t pathLength = TextLengthBounded(programPath, kPathUnits);
  if (pathLength + argumentsLength + 2 > kLaunchCommandUnits) return false;
  // All of it fits, as the test above shows.
  command.Append(programPath, pathLength);
  command.Append(u" ", 1);
  command.Append(arguments, argumentsLength);
  return true;
}

bool IsSetupDialogClass(const Unit* className) {
  const size_t length = TextLength(className);
  auto contains = [&](const Unit* needle) {
    return FindText(className, length, needle, TextLength(needle)) != WideString::npos;
  };
  return contains(u"TSetDialog") || contains(u"MsiDialogCloseClass");
}

}  // namespace quillane
