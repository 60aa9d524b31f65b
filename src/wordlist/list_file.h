// Reading the word-list file ("cvhype.lst") line by line.
//
// A line ends with a carriage return (13); a line feed (10) right after it
// is skipped, while a line feed alone belongs to the line. A byte 26 (Ctrl-Z)
// ends the file: the text before it is the last line. Reading at the end
// gives an empty line, as a text file does.
#ifndef CORVANE_WORDLIST_LIST_FILE_H_
#define CORVANE_WORDLIST_LIST_FILE_H_

#include <string>
#include <string_view>

namespace corvane::wordlist {

class ListFileReader {
 public:
  // Reads `path` whole (a list file is a few megabytes); throws
  // corvane::IoError "File not found" (code 2) when it does not exist, or
  // with the system's reason otherwise.
  explicit ListFileReader(const std::string& path);
  // Reads lines from text already in memory.
  static ListFileReader FromText(std::string text);

  // The next line without its line end; "I/O error 103" once closed.
  std::string_view ReadLine();
  // True when nothing is left before the end of the file or a Ctrl-Z.
  bool Eof() const;
  void Close();

 private:
  ListFileReader() = default;
  void SetText(std::string text);

  std::string text_;
  std::size_t position_ = 0;
  bool open_ = false;
};

}  // namespace corvane::wordlist

#endif  // CORVANE_WORDLIST_LIST_FILE_H_
