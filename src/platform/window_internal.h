// What the window table offers the rest of the platform layer: the message queue's delivery, the
// framework window objects' creation hook, and the built-in classes' registration. Internal.
#ifndef LUMOTOOLS_SRC_PLATFORM_WINDOW_INTERNAL_H_
#define LUMOTOOLS_SRC_PLATFORM_WINDOW_INTERNAL_H_

#include "lumotools/platform/window.h"

namespace lumo_platform {

// The thread that owns hWnd; 0 when hWnd is no window.
DWORD WindowOwnerThread(HWND hWnd);

// Gives the calling thread its message queue if it has none (message_queue.cc).
void EnsureCurrentThreadQueue();

// Puts a message at the head of the calling thread's queue, to be taken before anything posted
// earlier, as the characters that TranslateMessage makes are (message_queue.cc).
BOOL PostNextMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs hook(hWnd, context) inside the calling thread's next CreateWindowEx, after the handle exists
// and before the window receives its first message; this is how framework window objects attach to
// the windows they create.
using CreationHook = void (*)(HWND hWnd, void* context);
void HookNextWindowCreation(CreationHook hook, void* context);

// Records a key going down or up in the key-state table (as its message is taken).
void SetKeyDown(int vk, bool down);

// The procedures of the built-in classes (window_classes.cc).
LRESULT EditWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT ButtonWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_WINDOW_INTERNAL_H_
