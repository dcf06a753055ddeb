#include "ini_file.h"

#include <stdexcept>
#include <utility>

#include "cp1250.h"
#include "safe_file.h"

namespace rq30 {
namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text, size_t begin, size_t end) {
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string Fold(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  std::string bytes;
  switch (ReadWholeFile(path_, bytes)) {
    case FileRead::kOk:
      Parse(bytes);
      break;
    case FileRead::kMissing:
      break;
    case FileRead::kFailed:
      readable_ = false;
      break;
  }
}

IniFile IniFile::FromBytes(std::string path, const std::string& bytes) {
  IniFile ini;
  ini.path_ = std::move(path);
  ini.Parse(bytes);
  return ini;
}

void IniFile::Parse(const std::string& bytes) {
  // Windows' own reader skips a UTF-8 byte-order mark; taken for text, it
  // would hide the first section's header. It is written back as it came.
  static const std::string kBom = "\xEF\xBB\xBF";
  size_t start = 0;
  if (bytes.compare(0, kBom.size(), kBom) == 0) {
    bom_ = kBom;
    start = kBom.size();
  }
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == npos) end = bytes.size();
    size_t textEnd = end;
    if (textEnd > start && bytes[textEnd - 1] == '\r') --textEnd;
    lines_.push_back(ParseLine(bytes.substr(start, textEnd - start)));
    start = end + 1;
  }
}

IniFile::Line IniFile::ParseLine(std::string text) {
  Line line;
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  if (first < text.size() && text[first] == '[') {
    size_t close = text.find(']', first + 1);
    if (close == npos) close = text.size();
    line.kind = Kind::kSection;
    line.name = Fold(Trim(text, first + 1, close));
  } else if (first < text.size() && text[first] != ';') {
    const size_t equals = text.find('=', first);
    if (equals != npos) {
      line.name = Fold(Trim(text, first, equals));
      if (!line.name.empty()) line.kind = Kind::kKey;
    }
  }
  line.text = std::move(text);
  return line;
}

size_t IniFile::FindSection(const std::string& foldedSection) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && lines_[i].name == foldedSection) return i;
  }
  return npos;
}

size_t IniFile::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
  return i;
}

size_t IniFile::FindKey(size_t header, const std::string& foldedKey) const {
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    if (lines_[i].kind == Kind::kKey && lines_[i].name == foldedKey) return i;
  }
  return npos;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
  const size_t header = FindSection(Fold(Utf8ToCp1250(section)));
  if (header == npos) return defaultValue;
  const size_t at = FindKey(header, Fold(Utf8ToCp1250(key)));
  if (at == npos) return defaultValue;
  const std::string& text = lines_[at].text;
  const size_t equals = text.find('=');
  return Cp1250ToUtf8(Unquoted(Trim(text, equals + 1, text.size())));
}

bool IniFile::HasSection(const std::string& section) const {
  return FindSection(Fold(Utf8ToCp1250(section))) != npos;
}

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  const size_t header = FindSection(Fold(Utf8ToCp1250(section)));
  return header != npos && FindKey(header, Fold(Utf8ToCp1250(key))) != npos;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
  const std::string sectionBytes = Utf8ToCp1250(section);
  const std::string keyBytes = Utf8ToCp1250(key);
  std::string valueBytes = Utf8ToCp1250(value);
  for (char& c : valueBytes) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  dirty_ = true;

  const size_t header = FindSection(Fold(sectionBytes));
  if (header == npos) {
    lines_.push_back(ParseLine("[" + sectionBytes + "]"));
    lines_.push_back(ParseLine(keyBytes + "=" + valueBytes));
    return;
  }
  const size_t at = FindKey(header, Fold(keyBytes));
  if (at != npos) {
    // The key keeps the spelling it has in the file.
    const std::string& old = lines_[at].text;
    lines_[at] = ParseLine(Trim(old, 0, old.find('=')) + "=" + valueBytes);
    return;
  }
  size_t after = SectionEnd(header);
  while (after > header + 1 &&
         Trim(lines_[after - 1].text, 0, lines_[after - 1].text.size()).empty()) {
    --after;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after),
                ParseLine(keyBytes + "=" + valueBytes));
}

std::string IniFile::Bytes() const {
  std::string bytes = bom_;
  for (const Line& line : lines_) {
    bytes += line.text;
    bytes += "\r\n";
  }
  return bytes;
}

void IniFile::Flush() {
  if (!dirty_) return;
  if (!readable_ || !TryWriteFileReplacing(path_, Bytes())) {
    throw std::runtime_error("Unable to write to " + path_);
  }
  dirty_ = false;
}

}  // namespace rq30
