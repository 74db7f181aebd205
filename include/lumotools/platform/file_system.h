// The file system as the system's API presents it: searching a directory with a mask, reading a
// file through a handle, and splitting a path into its parts.
//
// Paths use the platform's separator, LUMO_PATH_SEPARATOR; a `\` in a path is read as a
// separator too. Search handles and file handles are independent objects: each may be used from
// one thread at a time, different handles from different threads at once.
#ifndef LUMOTOOLS_PLATFORM_FILE_SYSTEM_H_
#define LUMOTOOLS_PLATFORM_FILE_SYSTEM_H_

#include <cstddef>

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

// The separator this platform writes between the parts of a path.
constexpr char LUMO_PATH_SEPARATOR = '/';

constexpr int MAX_PATH = 260;

// File attribute bits. On this platform an entry is a DIRECTORY, READONLY when its owner may not
// write it, HIDDEN when its name starts with a dot, SYSTEM when it is neither a regular file nor
// a directory (a device, pipe or socket), REPARSE_POINT when it is a symbolic link (described by
// what it points to when that exists), and NORMAL when it is a regular file with none of the
// other bits.
constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x00000100;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD FILE_ATTRIBUTE_COMPRESSED = 0x00000800;

// Returned by the functions that open a handle when they cannot.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1));

// One entry found by a search. The times are UTC; a time the file system does not record (the
// creation time on many file systems here) is 0. A directory's size is 0.
struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;

enum FINDEX_INFO_LEVELS { FindExInfoStandard = 0, FindExInfoBasic = 1 };
enum FINDEX_SEARCH_OPS { FindExSearchNameMatch = 0, FindExSearchLimitToDirectories = 1 };

// Starts a search for the entries of a directory whose names match a mask: lpFileName is the
// directory followed by the mask, as in "/data/*.txt". In the mask `*` stands for any run of
// characters and `?` for one; letters match without regard to case; `*.*` matches every name and
// a mask ending in `.*` also matches the same name without any dot. A mask without wildcards
// names one entry. The "." and ".." entries of a directory are found like any other. Fills
// *lpFindFileData with the first entry and returns the search handle, to be closed with
// FindClose; INVALID_HANDLE_VALUE when the directory cannot be read or nothing matches. Names
// longer than MAX_PATH - 1 bytes are passed over. Each entry is read and described on the
// calling thread when FindFirstFileA or FindNextFileA returns it.
LUMO_PLATFORM_EXPORT HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData);

// A flag of FindFirstFileExA: the search passes over the "." and ".." entries, which a caller
// walking a tree has no use for (this platform then spends no status call on them).
constexpr DWORD LUMO_FIND_NO_DOT_ENTRIES = 0x80000000;

// A flag of FindFirstFileExA: a directory that its directory entry names as one (not a link) is
// given by name and attributes alone (FILE_ATTRIBUTE_DIRECTORY, and FILE_ATTRIBUTE_HIDDEN for a
// name beginning with '.'): no status call is spent on it, so its times and size are zero. For a
// caller that only needs to know which entries to enter.
constexpr DWORD LUMO_FIND_DIRECTORY_NAMES_ONLY = 0x40000000;

// FindFirstFileA with search options. FindExSearchLimitToDirectories finds directories only
// (the system treats it as a hint; callers still test the attributes). lpSearchFilter must be
// null; the info level is accepted and has no effect, and of the flags only
// LUMO_FIND_NO_DOT_ENTRIES and LUMO_FIND_DIRECTORY_NAMES_ONLY have one.
LUMO_PLATFORM_EXPORT HANDLE FindFirstFileExA(LPCSTR lpFileName, FINDEX_INFO_LEVELS fInfoLevelId,
                                             LPVOID lpFindFileData, FINDEX_SEARCH_OPS fSearchOp,
                                             LPVOID lpSearchFilter, DWORD dwAdditionalFlags);

// Fills *lpFindFileData with the next matching entry: FALSE when there is none.
LUMO_PLATFORM_EXPORT BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData);

// Ends a search. FALSE for a handle that is not a search handle.
LUMO_PLATFORM_EXPORT BOOL FindClose(HANDLE hFindFile);

inline HANDLE FindFirstFile(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  return FindFirstFileA(lpFileName, lpFindFileData);
}
inline BOOL FindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  return FindNextFileA(hFindFile, lpFindFileData);
}

// What tells files apart: the volume a file lies on and its index there. Two paths lead to the
// same file or directory exactly when both are equal.
struct LUMO_FILE_ID {
  ULONGLONG volume;
  ULONGLONG index;
};

// Fills *lpFileId for what lpFileName names, following symbolic links. FALSE when nothing is
// there or it cannot be reached.
LUMO_PLATFORM_EXPORT BOOL LumoGetFileIdA(LPCSTR lpFileName, LUMO_FILE_ID* lpFileId);

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;

// Opens an existing regular file for reading and returns its handle, to be closed with
// CloseHandle (sync.h). Only reading is provided: any access other than GENERIC_READ or a
// disposition other than OPEN_EXISTING fails, as do directories, devices and pipes. The share
// mode is accepted and has no effect; FILE_FLAG_SEQUENTIAL_SCAN tells the system the file will
// be read from start to end. INVALID_HANDLE_VALUE on failure.
LUMO_PLATFORM_EXPORT HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                        LPVOID lpSecurityAttributes, DWORD dwCreationDisposition,
                                        DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
inline HANDLE CreateFile(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                         LPVOID lpSecurityAttributes, DWORD dwCreationDisposition,
                         DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  return CreateFileA(lpFileName, dwDesiredAccess, dwShareMode, lpSecurityAttributes,
                     dwCreationDisposition, dwFlagsAndAttributes, hTemplateFile);
}

// Reads up to nNumberOfBytesToRead bytes at the file position into lpBuffer and advances the
// position; *lpNumberOfBytesRead is the count, fewer only at the end of the file (0 there).
// FALSE when the system reports an error. lpOverlapped must be null.
LUMO_PLATFORM_EXPORT BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                   DWORD* lpNumberOfBytesRead, LPVOID lpOverlapped);

// ReadFile without the copy where the platform can avoid it: reads up to nNumberOfBytesToRead
// bytes at the file position and points *lpData at them, either inside the platform's own
// read-ahead of a sequential scan or in lpBuffer (REQUIRES: room for nNumberOfBytesToRead
// bytes). The bytes stay valid until the next call on hFile. Counts and failures as ReadFile.
LUMO_PLATFORM_EXPORT BOOL LumoReadFileView(HANDLE hFile, LPVOID lpBuffer,
                                           DWORD nNumberOfBytesToRead, const BYTE** lpData,
                                           DWORD* lpNumberOfBytesRead);

// Moves the file position by the 64-bit distance (*lpDistanceToMoveHigh, lDistanceToMove) or,
// when lpDistanceToMoveHigh is null, by the signed 32-bit lDistanceToMove, from FILE_BEGIN,
// FILE_CURRENT or FILE_END. Returns the low half of the new position and stores the high half
// in *lpDistanceToMoveHigh; INVALID_SET_FILE_POINTER (position unchanged) when the move would
// end before the start.
LUMO_PLATFORM_EXPORT DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove,
                                          LONG* lpDistanceToMoveHigh, DWORD dwMoveMethod);

// Buffer sizes for the parts of a path, terminating zero included.
constexpr std::size_t _MAX_DRIVE = 3;
constexpr std::size_t _MAX_DIR = 256;
constexpr std::size_t _MAX_FNAME = 256;
constexpr std::size_t _MAX_EXT = 256;

// Splits path into drive ("C:" when the second character is a colon, else empty), directory
// (up to and including the last separator), file name, and extension (from the last dot of the
// name on). Any output may be null with size 0. Returns 0; EINVAL (22) for a null path or a
// null output with a non-zero size; ERANGE (34) when a part does not fit its buffer, in which
// case every given buffer is set to the empty string.
LUMO_PLATFORM_EXPORT int _splitpath_s(const char* path, char* drive, std::size_t driveSize,
                                      char* dir, std::size_t dirSize, char* fname,
                                      std::size_t fnameSize, char* ext, std::size_t extSize);

#endif  // LUMOTOOLS_PLATFORM_FILE_SYSTEM_H_
