// CArchive: the framework's binary archive, a buffered stream of fixed-width values and strings
// over a CFile (usually a CMemFile).
//
// Byte layout (little-endian): BYTE, char, bool 1 byte (a bool as 1 or 0); WORD, short 2;
// int, unsigned int, LONG, DWORD, float 4; double, LONGLONG, ULONGLONG 8. The C++ types `long`
// and `unsigned long` are stored in 4 bytes as the framework's LONG and DWORD; a value outside
// 32 bits is a caller error and is cut to its low 32 bits. Strings are stored in the framework's
// form: a length prefix (AfxWriteStringLength) and the bytes, no terminator.
//
// Failures raise CArchiveException (thrown as a pointer, see exception.h): endOfFile when reading
// past the end, readOnly when writing to a loading archive, writeOnly when reading from a storing
// archive, genericException for a string length that cannot be held. Errors of the file pass
// through as its own exceptions. An archive is used from one thread at a time.
#ifndef LUMOTOOLS_PLATFORM_ARCHIVE_H_
#define LUMOTOOLS_PLATFORM_ARCHIVE_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/file.h"
#include "lumotools/platform/types.h"

class LUMO_PLATFORM_EXPORT CArchive {
 public:
  enum Mode : UINT { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

  // An archive over pFile, which must stay open while the archive uses it; the archive does not
  // own it. nBufSize is raised to a small minimum. lpBuf, when given, must hold nBufSize bytes and
  // outlive the archive; otherwise the archive allocates its buffer.
  CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
  // Closes the archive unless it was closed or built with bNoFlushOnDelete. A failure of that
  // last flush cannot be reported from a destructor and is lost: Close() explicitly to see it.
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  CFile* GetFile() const { return m_pFile; }

  // Reads up to nMax bytes and returns how many were read; fewer only at the end of the file.
  UINT Read(void* lpBuf, UINT nMax);
  // Writes nMax bytes.
  void Write(const void* lpBuf, UINT nMax);
  // Storing: writes the buffer to the file. Loading: moves the file back to the first byte not
  // yet consumed, so that the file's position matches what was read.
  void Flush();
  // Flushes and detaches from the file.
  void Close();
  // Detaches from the file without flushing.
  void Abort();

  CArchive& operator<<(bool b) { return Put(static_cast<BYTE>(b ? 1 : 0)); }
  CArchive& operator<<(char ch) { return Put(ch); }
  CArchive& operator<<(BYTE by) { return Put(by); }
  CArchive& operator<<(short w) { return Put(w); }
  CArchive& operator<<(WORD w) { return Put(w); }
  CArchive& operator<<(int i) { return Put(i); }
  CArchive& operator<<(unsigned int u) { return Put(u); }
  CArchive& operator<<(long l) { return Put(static_cast<LONG>(l)); }
  CArchive& operator<<(unsigned long dw) { return Put(static_cast<DWORD>(dw)); }
  CArchive& operator<<(LONGLONG ll) { return Put(ll); }
  CArchive& operator<<(ULONGLONG ull) { return Put(ull); }
  CArchive& operator<<(float f) { return Put(f); }
  CArchive& operator<<(double d) { return Put(d); }
  CArchive& operator<<(const CString& s);
  // Stored as a string, like the CString holding the same text.
  CArchive& operator<<(const char* psz);

  CArchive& operator>>(bool& b) {
    b = Get<BYTE>() != 0;
    return *this;
  }
  CArchive& operator>>(char& ch) { return GetInto(ch); }
  CArchive& operator>>(BYTE& by) { return GetInto(by); }
  CArchive& operator>>(short& w) { return GetInto(w); }
  CArchive& operator>>(WORD& w) { return GetInto(w); }
  CArchive& operator>>(int& i) { return GetInto(i); }
  CArchive& operator>>(unsigned int& u) { return GetInto(u); }
  CArchive& operator>>(long& l) {
    l = Get<LONG>();
    return *this;
  }
  CArchive& operator>>(unsigned long& dw) {
    dw = Get<DWORD>();
    return *this;
  }
  CArchive& operator>>(LONGLONG& ll) { return GetInto(ll); }
  CArchive& operator>>(ULONGLONG& ull) { return GetInto(ull); }
  CArchive& operator>>(float& f) { return GetInto(f); }
  CArchive& operator>>(double& d) { return GetInto(d); }
  // Reads a string in either form; a wide (UTF-16LE) string is narrowed to UTF-8. The length is
  // checked against the bytes that actually follow before memory is committed to it.
  CArchive& operator>>(CString& s);

  // Reads nBytes into out, growing it only as the bytes arrive; raises endOfFile when fewer follow.
  void ReadExact(std::string& out, ULONGLONG nBytes);
  // Loading: the bytes left to read, in the buffer and in the file behind it. Lets a reader refuse
  // a count that the remaining input cannot back before it allocates for it.
  ULONGLONG GetLoadRemaining() const;

  UINT m_nMode;

 private:
  template <typename T>
  CArchive& Put(T value) {
    BYTE* cur = m_lpBufCur;
    if (reinterpret_cast<std::uintptr_t>(cur) + sizeof(T) > m_uStoreLimit) {
      MakeWriteRoom();
      cur = m_lpBufCur;
    }
    StoreUnaligned(cur, value);
    m_lpBufCur = cur + sizeof(T);
    return *this;
  }

  // Writes value at p, whatever p's alignment. Under GCC and Clang the store is typed as T, so the
  // compiler knows it cannot change the archive's own pointers and keeps them in registers across
  // a run of stores; memcpy would be a byte store that may alias them.
  template <typename T>
  static void StoreUnaligned(BYTE* p, T value) {
#if defined(__GNUC__)
    struct __attribute__((packed)) Unaligned {
      T value;
    };
    reinterpret_cast<Unaligned*>(p)->value = value;
#else
    std::memcpy(p, &value, sizeof(T));
#endif
  }

  template <typename T>
  T Get() {
    BYTE* cur = m_lpBufCur;
    if (reinterpret_cast<std::uintptr_t>(cur) + sizeof(T) >
        reinterpret_cast<std::uintptr_t>(m_lpLoadEnd)) {
      FillReadData(sizeof(T));
      cur = m_lpBufCur;
    }
    T value;
    std::memcpy(&value, cur, sizeof(T));
    m_lpBufCur = cur + sizeof(T);
    return value;
  }
  template <typename T>
  CArchive& GetInto(T& value) {
    value = Get<T>();
    return *this;
  }

  // Slow paths of Put and Get: check the mode, then empty or refill the buffer.
  void MakeWriteRoom();
  void FillReadData(size_t nNeeded);

  CFile* m_pFile;
  std::unique_ptr<BYTE[]> m_ownBuffer;
  BYTE* m_lpBufStart;
  BYTE* m_lpBufMax;  // end of the buffer
  BYTE* m_lpBufCur;  // next byte to write or read
  // Address of the end of the room for writing: m_lpBufMax when storing, 0 when loading, so that
  // the fast path's bound check fails and the slow path raises the mode error. An integer rather
  // than a pointer, so that storing m_lpBufCur cannot alias it.
  std::uintptr_t m_uStoreLimit;
  // End of the data read ahead when loading; m_lpBufStart when storing, with the same effect.
  BYTE* m_lpLoadEnd;
};

// Writes the length prefix of a string of nLength characters; with bUnicode the wide-string
// marker FF FE FF comes first and nLength counts 16-bit units.
LUMO_PLATFORM_EXPORT void AfxWriteStringLength(CArchive& ar, ULONGLONG nLength, BOOL bUnicode);
// Reads a length prefix. nCharSize is set to 1 for an 8-bit string, 2 for a wide one.
LUMO_PLATFORM_EXPORT ULONGLONG AfxReadStringLength(CArchive& ar, int& nCharSize);

#endif  // LUMOTOOLS_PLATFORM_ARCHIVE_H_
