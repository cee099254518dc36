#pragma once
// The one function of the stand-in's own shared library.
#ifdef _WIN32
#define TARVION_DUMMY_API __declspec(dllexport)
#else
#define TARVION_DUMMY_API __attribute__((visibility("default")))
#endif

extern "C" TARVION_DUMMY_API int dummyLibraryAnswer();
