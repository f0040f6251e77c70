// Dies of an access violation: its ctest entry must fail at once, with no debugger waiting.
#include <windows.h>

int main() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
