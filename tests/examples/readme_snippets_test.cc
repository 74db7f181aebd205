// The README's code blocks marked "<!-- from examples/NAME -->" are lines of that example, in
// order, at one indentation, so that the README cannot drift from code that is compiled and run.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  EXPECT_TRUE(in.good()) << path;
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// True when snippet appears in file from some line on, every non-empty line with the same prefix
// of spaces.
bool Contains(const std::vector<std::string>& file, const std::vector<std::string>& snippet) {
  for (size_t start = 0; start + snippet.size() <= file.size(); ++start) {
    const std::string& first = file[start];
    if (first.size() < snippet[0].size()) continue;
    const size_t indent = first.size() - snippet[0].size();
    if (first.compare(indent, std::string::npos, snippet[0]) != 0 ||
        first.find_first_not_of(' ') < indent) {
      continue;
    }
    bool all = true;
    for (size_t i = 1; i < snippet.size() && all; ++i) {
      const std::string& line = file[start + i];
      all = snippet[i].empty() ? line.empty() : line == std::string(indent, ' ') + snippet[i];
    }
    if (all) return true;
  }
  return false;
}

TEST(ReadmeSnippets, AreLinesOfTheExamples) {
  const std::string marker = "<!-- from examples/";
  const std::vector<std::string> readme = Lines(LUMO_SOURCE_DIR "/README.md");
  std::vector<std::string> examples;
  for (size_t i = 0; i < readme.size(); ++i) {
    if (readme[i].rfind(marker, 0) != 0) continue;
    const std::string name =
        readme[i].substr(marker.size(), readme[i].find(' ', marker.size()) - marker.size());
    ASSERT_LT(i + 1, readme.size());
    ASSERT_EQ(readme[i + 1].rfind("```", 0), 0u) << "a code block follows line " << i + 1;
    std::vector<std::string> snippet;
    for (size_t j = i + 2; j < readme.size() && readme[j].rfind("```", 0) != 0; ++j) {
      snippet.push_back(readme[j]);
    }
    ASSERT_FALSE(snippet.empty()) << name;
    EXPECT_TRUE(Contains(Lines(LUMO_SOURCE_DIR "/examples/" + name), snippet))
        << "README line " << i + 1 << ": the block is not in examples/" << name;
    examples.push_back(name);
  }
  for (const char* name :
       {"property_pane.cc", "project_record.cc", "slab_openings.cc", "color_manager.cc"}) {
    EXPECT_NE(std::find(examples.begin(), examples.end(), name), examples.end())
        << "no README snippet comes from " << name;
  }
}

}  // namespace
