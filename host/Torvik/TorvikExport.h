#pragma once

#if defined(_WIN32)
#if defined(TORVIK_BUILD)
#define TORVIK_EXPORT __declspec(dllexport)
#else
#define TORVIK_EXPORT __declspec(dllimport)
#endif
#else
#define TORVIK_EXPORT __attribute__((visibility("default")))
#endif
