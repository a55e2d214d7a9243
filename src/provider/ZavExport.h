// Linkage of the provider's exported functions: C names, the TSPI calling
// convention. On Windows the .def file lists them; elsewhere the shared
// library hides everything but what is marked here.
#pragma once

#ifdef _WIN32
#define ZAV_EXPORT extern "C"
#else
#define ZAV_EXPORT extern "C" __attribute__((visibility("default")))
#endif
