// A small real program that stands in for the payload's other executables
// and drivers (the USB package's setup, the driver-package installer, the
// driver files): they are carried and written, never run by the bootstrapper.
int main() { return 0; }
