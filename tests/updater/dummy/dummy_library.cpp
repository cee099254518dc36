#include "tests/updater/dummy/dummy_library.h"

int dummyLibraryAnswer() { return 42; }
