// The server's one class identifier as Windows takes it.
#pragma once

#include <windows.h>

#include "server/clsid_value.h"

namespace vlpd {

inline constexpr CLSID kClsidVLPDMenu = {
    kClsidValue.data1,
    kClsidValue.data2,
    kClsidValue.data3,
    {kClsidValue.data4[0], kClsidValue.data4[1], kClsidValue.data4[2], kClsidValue.data4[3],
     kClsidValue.data4[4], kClsidValue.data4[5], kClsidValue.data4[6], kClsidValue.data4[7]}};

}  // namespace vlpd
