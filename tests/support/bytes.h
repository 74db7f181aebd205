// Byte helpers for tests of archive records: hex text to bytes and back, and running a store or a
// load over a memory file.
#ifndef LUMOTOOLS_TESTS_SUPPORT_BYTES_H_
#define LUMOTOOLS_TESTS_SUPPORT_BYTES_H_

#include <functional>
#include <string>
#include <vector>

#include "lumotools/platform/archive.h"
#include "support/raises.h"

namespace lumo_test {

using Bytes = std::vector<unsigned char>;

// "05 00 0a" -> {0x05, 0x00, 0x0A}; blanks are ignored.
Bytes FromHex(const std::string& hex);
// {0x05, 0x00} -> "05 00".
std::string ToHex(const Bytes& bytes);

// Runs store on a storing archive over a fresh memory file and returns the bytes written.
Bytes Store(const std::function<void(CArchive&)>& store);
// Runs load on a loading archive over bytes.
void Load(const Bytes& bytes, const std::function<void(CArchive&)>& load);

inline int ArchiveErrorCause(const std::function<void()>& action) {
  return ErrorCause<CArchiveException>(action);
}

}  // namespace lumo_test

#endif  // LUMOTOOLS_TESTS_SUPPORT_BYTES_H_
