#pragma once

#if defined(_WIN32)
#if defined(SELMOR_BUILD)
#define SELMOR_EXPORT __declspec(dllexport)
#else
#define SELMOR_EXPORT __declspec(dllimport)
#endif
#else
#define SELMOR_EXPORT __attribute__((visibility("default")))
#endif
