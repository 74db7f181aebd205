#include "lumotools/property/super_prop.h"

#include <cstdlib>
#include <memory>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/mem_file.h"

namespace {

constexpr UINT kGrowBytes = 1024;
constexpr int kArchiveBufferSize = 4096;

}  // namespace

std::vector<unsigned char> Kv_SuperProp::ToByteArray() const {
  CMemFile file(kGrowBytes);
  {
    CArchive ar(&file, CArchive::store, kArchiveBufferSize);
    ar << static_cast<DWORD>(m_mapVars.size());
    for (const auto& entry : m_mapVars) ar << entry.first << entry.second;
    ar.Close();
  }
  std::vector<unsigned char> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

void Kv_SuperProp::FromByteArray(const std::vector<unsigned char>& bytes) {
  m_mapVars.clear();
  if (bytes.empty()) return;
  // A file with growth step 0 never writes to the buffer it is attached to.
  CMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()), 0);
  CArchive ar(&file, CArchive::load, kArchiveBufferSize);
  DWORD count = 0;
  ar >> count;
  for (DWORD i = 0; i < count; ++i) {
    CString name;
    CString value;
    ar >> name >> value;
    // Arrays written by ToByteArray are in name order, so the end is the right hint.
    m_mapVars.emplace_hint(m_mapVars.end(), std::move(name), std::move(value));
  }
  ar.Close();
  file.Detach();
}
