// Export macro of the shapekit shared library: SHAPEKIT_EXPORT marks what it exports; everything
// else is hidden. SHAPEKIT_BUILDING is defined while the library compiles itself.
#ifndef SHAPEKIT_EXPORT_H_
#define SHAPEKIT_EXPORT_H_

#if defined(_WIN32)
#if defined(SHAPEKIT_BUILDING)
#define SHAPEKIT_EXPORT __declspec(dllexport)
#else
#define SHAPEKIT_EXPORT __declspec(dllimport)
#endif
#else
#define SHAPEKIT_EXPORT __attribute__((visibility("default")))
#endif

#endif  // SHAPEKIT_EXPORT_H_
