// corvane container: look into and change single-file containers.
#include <ctime>
#include <iomanip>
#include <ostream>

#include "cli/cli.h"
#include "platform/file_io.h"
#include "cli/options.h"
#include "container/container_check.h"
#include "container/container_file_system.h"
#include "container/user_file_page_map_manager.h"
#include "platform/error.h"

namespace corvane::cli {

namespace {

using container::ContainerSettings;
using container::TContainerFileSystem;

struct ContainerArgs : ActionCall {
  std::string password;
};

ContainerArgs ParseArgs(const std::vector<std::string>& args) {
  ContainerArgs a;
  OptionReader reader(args);
  while (reader.Next()) {
    if (!reader.IsOption()) {
      a.AddOperand(reader.Operand());
    } else if (reader.Name() == "--password") {
      a.password = reader.Value();
    } else {
      throw UsageError("unknown option " + reader.Name());
    }
  }
  static constexpr ActionArity kActions[] = {{"ls", 1, 1}, {"cat", 2, 2},    {"put", 2, 2},
                                             {"rm", 2, 2}, {"create", 1, 1}, {"check", 1, 1}};
  CheckActionCall("container", a, kActions);
  return a;
}

std::string FormatFileTime(int64_t file_time) {
  const std::time_t t = static_cast<std::time_t>(file_time / 10000000 - 11644473600LL);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

ContainerSettings Settings(const ContainerArgs& a, bool read_only) {
  ContainerSettings settings;
  settings.read_only = read_only;
  settings.password = a.password;
  return settings;
}

void List(const ContainerArgs& a, std::ostream& out) {
  TContainerFileSystem c(a.operands[0], Settings(a, true), false);
  const int32_t d = c.Pages().DataSize();
  for (const container::ContainerEntry& e : c.Entries()) {
    const bool dir = (e.attributes & container::kAttrDirectory) != 0;
    const int64_t pages = container::PagesFor(e.size, d);
    out << std::left << std::setw(32) << (c.PathOf(e.item) + (dir ? "/" : "")) << std::right << std::setw(12)
        << e.size << "  " << FormatFileTime(e.last_write_time) << std::setw(9) << pages << " pages\n";
  }
}

void Cat(const ContainerArgs& a, std::ostream& out) {
  TContainerFileSystem c(a.operands[0], Settings(a, true), false);
  const int handle = c.FileOpen(a.operands[1], container::kModeRead);
  if (handle < 0) throw Error("no file " + a.operands[1] + " in " + a.operands[0]);
  std::vector<char> buffer(1 << 20);
  int64_t n = 0;
  while ((n = c.FileRead(handle, buffer.data(), static_cast<int64_t>(buffer.size()))) > 0) {
    out.write(buffer.data(), n);
  }
  const bool complete = c.FileSeek(handle, 0, 1) == c.FileGetSize(handle);
  c.FileClose(handle);
  if (!complete) throw Error(a.operands[1] + ": read failed, error " + std::to_string(c.LastError()));
}

// Copied a megabyte at a time: a file of gigabytes must not be held in
// memory (let alone twice, as a growing string does).
void Put(const ContainerArgs& a, std::istream& in) {
  TContainerFileSystem c(a.operands[0], Settings(a, false), false);
  const int handle = c.FileCreate(a.operands[1]);
  if (handle < 0) throw Error("Cannot create file \"" + a.operands[1] + "\"");
  std::vector<char> buffer(1 << 20);
  bool complete = true;
  while (complete && in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const int64_t n = in.gcount();
    complete = n == 0 || c.FileWrite(handle, buffer.data(), n) == n;
  }
  c.FileClose(handle);
  c.Flush();
  if (!complete) throw Error(a.operands[1] + ": write failed, error " + std::to_string(c.LastError()));
}

void Remove(const ContainerArgs& a) {
  TContainerFileSystem c(a.operands[0], Settings(a, false), false);
  if (!c.DeleteFile(a.operands[1])) throw Error("cannot delete " + a.operands[1]);
  c.Flush();
}

}  // namespace

int RunContainer(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                 std::ostream& err) {
  const ContainerArgs a = ParseArgs(args);
  if (a.action == "ls") {
    List(a, out);
  } else if (a.action == "cat") {
    Cat(a, out);
  } else if (a.action == "put") {
    Put(a, in);
  } else if (a.action == "rm") {
    Remove(a);
  } else if (a.action == "create") {
    TContainerFileSystem c(a.operands[0], Settings(a, false), true);
  } else {
    const std::vector<std::string> problems = container::CheckContainer(a.operands[0], a.password);
    for (const std::string& p : problems) err << a.operands[0] << ": " << p << "\n";
    if (!problems.empty()) return kExitFailure;
    out << a.operands[0] << ": ok\n";
  }
  out.flush();
  return kExitOk;
}

}  // namespace corvane::cli
