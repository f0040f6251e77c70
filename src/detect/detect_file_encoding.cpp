#include "detect/detect_file_encoding.h"

#include <windows.h>

#include "detect/classify_encoding.h"
#include "detect/encoding.h"
#include "win/unique_handle.h"

namespace vlpd {

int DetectFileEncoding(const char* path) {
  // Without a buffer there is nothing to read into; the caller writes no switch for 0.
  GlobalBlock block(GlobalAlloc(GMEM_ZEROINIT, kDetectionWindow));
  if (!block) return kEncodingAuto;
  // A fixed (not movable) global block's handle is its address.
  return DetectFileEncoding(path, kUnknownFileSize, static_cast<unsigned char*>(block.Get()),
                            kDetectionWindow);
}

int DetectFileEncoding(const char* path, std::uint64_t size, unsigned char* buffer, std::size_t buffer_size) {
  // An empty file, or no room to read into, gives 0 whether or not the file would open.
  if (buffer == nullptr || buffer_size == 0 || size == 0) return kEncodingAuto;
  // Sharing writes lets a file that another program is still writing be classified.
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!file) return kEncodingAuto;

  // The full 64-bit size: a file of 4 GiB or more must not be capped by its low 32 bits.
  std::uint64_t limit = buffer_size < kDetectionWindow ? buffer_size : kDetectionWindow;
  if (size == kUnknownFileSize) {
    LARGE_INTEGER queried;
    if (GetFileSizeEx(file.Get(), &queried) && queried.QuadPart >= 0)
      size = static_cast<std::uint64_t>(queried.QuadPart);
  }
  if (size < limit) limit = size;

  DWORD read = 0;
  const BOOL ok = ReadFile(file.Get(), buffer, static_cast<DWORD>(limit), &read, nullptr);
  file.Reset();
  if (!ok) return kEncodingReadFailed;
  if (read == 0) return kEncodingAuto;

  const int code = ClassifyEncoding(buffer, read);
  return code < 0 ? -code : code;
}

}  // namespace vlpd
