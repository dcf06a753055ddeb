// INI files read and written the way the Windows private-profile functions
// do it, for the parameter set file and the stored settings off Windows.
//
// The file is loaded once; reads and writes work on the copy in memory and
// only Flush() writes the file, so a save of hundreds of keys writes it once.
// Nothing is written by the destructor: a caller that does not flush loses
// its changes.
//
// Layout rules, as the Windows functions follow them:
//  - section and key names are matched without regard to ASCII letter case;
//    the first section and the first key of a name win;
//  - a line "[name]" starts a section, "key=value" is a key, a line starting
//    with ';' is a comment; blanks around names, around '=' and around values
//    are ignored, and a value enclosed in matching quotes loses them;
//  - a write replaces the key's line, or adds the key after the last non-blank
//    line of its section, or appends the section with the key at the end;
//    every other line (lines before the first section, comments, blank lines,
//    keys and sections the program does not know) stays as it was;
//  - a UTF-8 byte-order mark at the start is skipped, and kept;
//  - the file is Windows-1250 text with CR LF line ends; a file with LF line
//    ends or without a final line end is read just as well, and is written
//    back with CR LF.
// Names and values given and returned are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace rq30 {

class IniFile {
 public:
  // Loads `path` if it exists; a missing file starts empty and is created by
  // the first Flush(). A file that exists but cannot be read also starts
  // empty, and Flush() then refuses to replace it.
  explicit IniFile(std::string path);

  // An INI text already in memory, as it would be read from `path`.
  static IniFile FromBytes(std::string path, const std::string& bytes);

  const std::string& Path() const { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;

  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;

  // Line breaks in `value` become blanks: a value is one line of the file.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);

  // Writes the file if anything was written since loading or the last flush,
  // through a temporary file, so that a failure leaves the old file whole.
  // Throws std::runtime_error("Unable to write to " + path) on failure.
  void Flush();

  // The file's content as Flush() writes it.
  std::string Bytes() const;

 private:
  enum class Kind { kOther, kSection, kKey };
  struct Line {
    std::string text;  // Windows-1250, without its line end
    Kind kind = Kind::kOther;
    std::string name;  // section or key name, folded to lower case
  };

  IniFile() = default;
  void Parse(const std::string& bytes);
  static Line ParseLine(std::string text);
  // Index of the section's header line, or npos.
  size_t FindSection(const std::string& foldedSection) const;
  // End of the section starting at `header`: the next header or the end.
  size_t SectionEnd(size_t header) const;
  size_t FindKey(size_t header, const std::string& foldedKey) const;

  std::string path_;
  std::string bom_;  // a UTF-8 byte-order mark the file began with
  std::vector<Line> lines_;
  bool readable_ = true;
  bool dirty_ = false;
};

}  // namespace rq30
