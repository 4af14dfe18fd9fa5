// Opening a regular file without blocking, refusing directories, devices and pipes.
#include "image/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* openRegularFile(const char* fileName, bool& notRegular) {
  notRegular = false;
  if (fileName == nullptr) return nullptr;
  const int descriptor = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat info {};
  std::FILE* file = nullptr;
  if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
    file = fdopen(descriptor, "rb");
  } else {
    notRegular = true;
  }
  if (file == nullptr) close(descriptor);
  return file;
}
