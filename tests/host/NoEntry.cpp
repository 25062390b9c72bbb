// A shared library without any plug-in entry, for the host's load-failure tests.
extern "C" __attribute__((visibility("default"))) int notAPlugin() { return 42; }
