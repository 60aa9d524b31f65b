#include "app/document_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "platform/document_check.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace corvane::app {
namespace {

std::string ToPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)) + "."; }

// The platform's messages end in the system's reason, taken when the call failed.
QString SystemReason(const Error& error) {
  const std::string message = error.what();
  const std::size_t colon = message.rfind(": ");
  return QString::fromStdString(colon == std::string::npos ? message : message.substr(colon + 2)) + ".";
}

const QString kFolderNotFile = "It is a folder, not a file.";

[[noreturn]] void CannotOpen(const QString& path, const QString& reason) {
  throw Error(("Cannot open file " + path + "\n" + reason).toStdString());
}

[[noreturn]] void TooLarge(const QString& path) {
  throw Error(("Text exceeds memo capacity\n" + path + " is larger than the " +
               QString::number(kMaxDocumentBytes >> 20) + " MB the editor holds.")
                  .toStdString());
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Looked at before opening: opening a device or a pipe may block or act.
void CheckRegularFile(const QString& path, const std::string& name) {
  struct stat info {};
  if (stat(name.c_str(), &info) != 0) CannotOpen(path, SystemReason(errno));
  if (S_ISDIR(info.st_mode)) CannotOpen(path, kFolderNotFile);
  if (!S_ISREG(info.st_mode)) CannotOpen(path, "It is not a regular file.");
  if (info.st_size > kMaxDocumentBytes) TooLarge(path);
}

// The check the command-line tool makes too, in the editor's words.
QString NotTextReason(platform::DocumentKind kind) {
  switch (kind) {
    case platform::DocumentKind::kText: return {};
    case platform::DocumentKind::kUtf16: return "It is UTF-16 text; save it as UTF-8 to open it.";
    case platform::DocumentKind::kUtf32: return "It is UTF-32 text; save it as UTF-8 to open it.";
    default: return "It holds binary data, not text.";
  }
}

}  // namespace

std::string ReadDocumentFile(const QString& path) {
  const std::string name = ToPath(path);
  CheckRegularFile(path, name);
  const Descriptor file(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) CannotOpen(path, SystemReason(errno));
  std::string data;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = read(file.get(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      CannotOpen(path, SystemReason(errno));
    }
    if (static_cast<qint64>(data.size()) + got > kMaxDocumentBytes) TooLarge(path);
    data.append(buffer, static_cast<std::size_t>(got));
  }
  // Beyond what the shared check reads, a NUL byte anywhere: the editor's
  // text cannot hold one.
  platform::DocumentKind kind = platform::CheckDocument(data);
  if (kind == platform::DocumentKind::kText && data.find('\0') != std::string::npos) {
    kind = platform::DocumentKind::kNulBytes;
  }
  if (kind != platform::DocumentKind::kText) CannotOpen(path, NotTextReason(kind));
  return data;
}

void WriteDocumentFile(const QString& path, std::string_view bytes) {
  try {
    platform::WriteFileAtomically(ToPath(path), bytes);
  } catch (const Error& e) {
    throw Error(("Cannot create file " + path + "\n" + SystemReason(e)).toStdString());
  }
}

QString CreateProblem(const std::string& path) {
  std::string probe = path + ".XXXXXX";
  const int fd = mkstemp(probe.data());
  if (fd < 0) return SystemReason(errno);
  close(fd);
  unlink(probe.c_str());
  return {};
}

}  // namespace corvane::app
