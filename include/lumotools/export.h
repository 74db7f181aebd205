// Export macros of the project's shared libraries.
//
// LUMO_EXPORT marks the classes that liblumotools exports; LUMO_PLATFORM_EXPORT marks the
// framework classes of liblumo_platform. Everything not marked is hidden. Each library defines
// its LUMO_BUILDING_* macro while compiling itself.
#ifndef LUMOTOOLS_EXPORT_H_
#define LUMOTOOLS_EXPORT_H_

#if defined(_WIN32)
#if defined(LUMO_BUILDING_LUMOTOOLS)
#define LUMO_EXPORT __declspec(dllexport)
#else
#define LUMO_EXPORT __declspec(dllimport)
#endif
#if defined(LUMO_BUILDING_PLATFORM)
#define LUMO_PLATFORM_EXPORT __declspec(dllexport)
#else
#define LUMO_PLATFORM_EXPORT __declspec(dllimport)
#endif
#else
#define LUMO_EXPORT __attribute__((visibility("default")))
#define LUMO_PLATFORM_EXPORT __attribute__((visibility("default")))
#endif

#endif  // LUMOTOOLS_EXPORT_H_
