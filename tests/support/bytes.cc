#include "support/bytes.h"

#include <cstdio>
#include <cstdlib>

#include "lumotools/platform/mem_file.h"

namespace lumo_test {

Bytes FromHex(const std::string& hex) {
  Bytes out;
  std::string digits;
  for (char c : hex) {
    if (c == ' ') continue;
    digits += c;
    if (digits.size() == 2) {
      out.push_back(static_cast<unsigned char>(std::strtoul(digits.c_str(), nullptr, 16)));
      digits.clear();
    }
  }
  return out;
}

std::string ToHex(const Bytes& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", bytes[i]);
    out += buf;
  }
  return out;
}

Bytes Store(const std::function<void(CArchive&)>& store) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  store(ar);
  ar.Close();
  Bytes out(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  if (!out.empty()) file.Read(out.data(), static_cast<UINT>(out.size()));
  return out;
}

void Load(const Bytes& bytes, const std::function<void(CArchive&)>& load) {
  CMemFile file(const_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  load(ar);
}

}  // namespace lumo_test
