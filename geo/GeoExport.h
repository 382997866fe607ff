#pragma once

#if defined(_WIN32)
#if defined(GEO_BUILD)
#define GEO_EXPORT __declspec(dllexport)
#else
#define GEO_EXPORT __declspec(dllimport)
#endif
#else
#define GEO_EXPORT __attribute__((visibility("default")))
#endif
