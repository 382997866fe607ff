#pragma once

#if defined(_WIN32)
#if defined(LOFT_BUILD)
#define LOFT_EXPORT __declspec(dllexport)
#else
#define LOFT_EXPORT __declspec(dllimport)
#endif
#else
#define LOFT_EXPORT __attribute__((visibility("default")))
#endif
