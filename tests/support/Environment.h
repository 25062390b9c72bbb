// Setting and removing environment variables in tests, on POSIX systems and Windows alike.
#pragma once

#include <cstdlib>

namespace tarnwick::test {

inline void setEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

inline void unsetEnvironment(const char* name) {
#if defined(_WIN32)
  _putenv_s(name, "");  // an empty value removes the variable
#else
  unsetenv(name);
#endif
}

}  // namespace tarnwick::test
