// The installer's entry point: the platform's wide-character GUI entry, whose
// command line is the text after the program name.
#include "run/entry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return quillane::RunInstaller(instance, commandLine);
}
