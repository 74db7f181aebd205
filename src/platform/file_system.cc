// The system-independent half of the file-system facility: path splitting and mask matching.
#include "lumotools/platform/file_system.h"

#include <cstring>

#include "path_rules.h"

namespace lumo_platform {

namespace {

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Glob matching with one point of return for the last `*`: linear in practice.
bool Glob(const char* name, const char* nameEnd, const char* mask, const char* maskEnd) {
  const char* starMask = nullptr;
  const char* starName = nullptr;
  while (name != nameEnd) {
    if (mask != maskEnd && *mask == '*') {
      starMask = ++mask;
      starName = name;
    } else if (mask != maskEnd && (*mask == '?' || FoldCase(*mask) == FoldCase(*name))) {
      ++mask;
      ++name;
    } else if (starMask != nullptr) {
      mask = starMask;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (mask != maskEnd && *mask == '*') ++mask;
  return mask == maskEnd;
}

}  // namespace

bool HasWildcards(const std::string& mask) { return mask.find_first_of("*?") != std::string::npos; }

bool MatchesMask(const char* name, const std::string& mask) {
  if (TakesEveryName(mask)) return true;
  const char* nameEnd = name + std::strlen(name);
  const char* maskBegin = mask.data();
  const char* maskEnd = maskBegin + mask.size();
  if (Glob(name, nameEnd, maskBegin, maskEnd)) return true;
  const bool dotStarEnding = mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0;
  return dotStarEnding && std::strchr(name, '.') == nullptr &&
         Glob(name, nameEnd, maskBegin, maskEnd - 2);
}

}  // namespace lumo_platform

namespace {

constexpr int kEinval = 22;
constexpr int kErange = 34;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

struct Part {
  char* buffer;
  std::size_t size;
  const char* begin;
  const char* end;
};

}  // namespace

int _splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                 std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                 std::size_t extSize) {
  Part parts[] = {{drive, driveSize, nullptr, nullptr},
                  {dir, dirSize, nullptr, nullptr},
                  {fname, fnameSize, nullptr, nullptr},
                  {ext, extSize, nullptr, nullptr}};
  for (const Part& part : parts) {
    if (part.buffer == nullptr && part.size != 0) return kEinval;
    if (part.buffer != nullptr && part.size == 0) return kEinval;
  }
  if (path == nullptr) {
    for (Part& part : parts) {
      if (part.buffer != nullptr) part.buffer[0] = '\0';
    }
    return kEinval;
  }

  const char* p = path;
  const char* end = path + std::strlen(path);
  parts[0].begin = parts[0].end = p;
  if (end - p >= 2 && p[1] == ':') p += 2;
  parts[0].end = p;

  const char* nameStart = p;
  for (const char* q = p; q != end; ++q) {
    if (IsSeparator(*q)) nameStart = q + 1;
  }
  parts[1].begin = p;
  parts[1].end = nameStart;

  const char* dot = end;
  for (const char* q = nameStart; q != end; ++q) {
    if (*q == '.') dot = q;
  }
  parts[2].begin = nameStart;
  parts[2].end = dot;
  parts[3].begin = dot;
  parts[3].end = end;

  for (const Part& part : parts) {
    if (part.buffer != nullptr && static_cast<std::size_t>(part.end - part.begin) >= part.size) {
      for (Part& emptied : parts) {
        if (emptied.buffer != nullptr) emptied.buffer[0] = '\0';
      }
      return kErange;
    }
  }
  for (const Part& part : parts) {
    if (part.buffer == nullptr) continue;
    const auto length = static_cast<std::size_t>(part.end - part.begin);
    std::memcpy(part.buffer, part.begin, length);
    part.buffer[length] = '\0';
  }
  return 0;
}
