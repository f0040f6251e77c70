// The portable core repeats a few Windows values so that it needs no Windows header; each is
// checked here against windows.h.
#include <windows.h>
// The shell headers need windows.h first.
#include <shlobj.h>

#include <cstddef>

#include "text/path.h"
#include "text/windows_values.h"

namespace vlpd {

static_assert(kMaxPath == MAX_PATH);
static_assert(kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kAttributeTemporary == FILE_ATTRIBUTE_TEMPORARY);
static_assert(kAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(kInvalidAttributes == INVALID_FILE_ATTRIBUTES);

static_assert(kItemEnabled == (MF_BYPOSITION | MF_STRING));
static_assert(kItemGrayed == (MF_BYPOSITION | MF_STRING | MF_GRAYED | MF_DISABLED));
static_assert(kSeparator == (MF_BYPOSITION | MF_SEPARATOR));
static_assert(kPopup == (MF_BYPOSITION | MF_POPUP));

static_assert(kMenuDefaultOnly == CMF_DEFAULTONLY);
static_assert(kMenuVerbsOnly == CMF_VERBSONLY);
static_assert(kMenuExplore == CMF_EXPLORE);
static_assert(kMenuNoVerbs == CMF_NOVERBS);
static_assert(kMenuExtendedVerbs == CMF_EXTENDEDVERBS);

static_assert(kDropFilesHeaderSize == sizeof(DROPFILES));

static_assert(sizeof(Guid) == sizeof(GUID) && offsetof(Guid, data1) == offsetof(GUID, Data1) &&
              offsetof(Guid, data2) == offsetof(GUID, Data2) &&
              offsetof(Guid, data3) == offsetof(GUID, Data3) &&
              offsetof(Guid, data4) == offsetof(GUID, Data4));

}  // namespace vlpd
