#include <cstdio>

#include "commands.h"
#include "lumotools/platform.h"

namespace lumo_cli {
namespace {

std::string Describe(CException* e) {
  const std::string text = e->GetDescription().str();
  e->Delete();
  return text;
}

}  // namespace

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
  try {
    CFile file(path.c_str(), CFile::modeRead);
    std::vector<unsigned char> bytes(static_cast<size_t>(file.GetLength()));
    if (!bytes.empty() &&
        file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size()) {
      throw CommandFailure("cannot read " + path + ": the file changed while it was read");
    }
    return bytes;
  } catch (CFileException* e) {
    throw CommandFailure("cannot read " + path + ": " + Describe(e));
  }
}

void WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  try {
    CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.Close();
  } catch (CFileException* e) {
    throw CommandFailure("cannot write " + path + ": " + Describe(e));
  }
}

std::string HexBytes(const std::vector<unsigned char>& bytes) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i == 0 ? "%02X" : " %02X", bytes[i]);
    out += buf;
  }
  return out;
}

}  // namespace lumo_cli
