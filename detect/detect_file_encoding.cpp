#include "detect/detect_file_encoding.h"

#include <windows.h>

#include "detect/classify_encoding.h"
#include "detect/encoding.h"
#include "win/unique_handle.h"

namespace vlpd {

int DetectFileEncoding(const char* path) {
  // Sharing writes lets a file that another program is still writing be classified.
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
  if (!file) return kEncodingAuto;

  // Without a buffer there is nothing to read into; the caller writes no switch for 0.
  GlobalBlock block(GlobalAlloc(GMEM_ZEROINIT, kDetectionWindow));
  if (!block) return kEncodingAuto;
  // A fixed (not movable) global block's handle is its address.
  auto* buffer = static_cast<unsigned char*>(block.Get());

  // The full 64-bit size: a file of 4 GiB or more must not be capped by its low 32 bits.
  DWORD request = kDetectionWindow;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart < static_cast<LONGLONG>(kDetectionWindow)) {
    request = size.LowPart;
  }

  DWORD read = 0;
  const BOOL ok = ReadFile(file.Get(), buffer, request, &read, nullptr);
  file.Reset();
  if (!ok) return kEncodingReadFailed;
  if (read == 0) return kEncodingAuto;

  const int code = ClassifyEncoding(buffer, read);
  return code < 0 ? -code : code;
}

}  // namespace vlpd
