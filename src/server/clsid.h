// The server's class identifiers as Windows takes them.
#pragma once

#include <windows.h>

#include "server/clsid_value.h"

namespace vlpd {

constexpr CLSID ToClsid(const ClsidValue& value) {
  return {value.data1,
          value.data2,
          value.data3,
          {value.data4[0], value.data4[1], value.data4[2], value.data4[3], value.data4[4], value.data4[5],
           value.data4[6], value.data4[7]}};
}

inline constexpr CLSID kClsidVLPDMenu = ToClsid(kClsidValue);
inline constexpr CLSID kClsidVLPDCommand = ToClsid(kCommandClsidValue);

}  // namespace vlpd
