#include "tools/demo/shell_host.h"

#include <cstdio>

#include "server/clsid.h"
#include "tools/demo/console.h"

namespace vlpd::demo {
namespace {

// The last identifier the host grants the handler.
constexpr UINT kLastId = 0x7FFF;

// Items of the host's own around the handler's, as Explorer has them.
constexpr UINT kHostCut = 1;
constexpr UINT kHostCopy = 2;
constexpr UINT kHostProperties = 3;

}  // namespace

std::string ClsidText() {
  wchar_t text[64] = {};
  StringFromGUID2(kClsidVLPDMenu, text, 64);
  return Utf8(text);
}

ComRef<IContextMenu> NewHandler(IDataObject* data, std::string& error) {
  ComRef<IContextMenu> handler;
  const HRESULT created = CoCreateInstance(kClsidVLPDMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                           reinterpret_cast<void**>(handler.Put()));
  if (FAILED(created)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(created));
    error = "CoCreateInstance of " + ClsidText() + " gave " + code + " (is VLPDMenu.dll registered?)";
    return handler;
  }
  ComRef<IShellExtInit> init;
  if (FAILED(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put()))) ||
      FAILED(init->Initialize(nullptr, data, nullptr))) {
    error = "IShellExtInit::Initialize failed";
    handler.Reset();
  }
  return handler;
}

int BuildContextMenu(IContextMenu* handler, HMENU menu) {
  AppendMenuW(menu, MF_STRING, kHostCut, L"切り取り(&T)");
  AppendMenuW(menu, MF_STRING, kHostCopy, L"コピー(&C)");
  const HRESULT result = handler->QueryContextMenu(menu, 2, kFirstId, kLastId, CMF_NORMAL);
  AppendMenuW(menu, MF_STRING, kHostProperties, L"プロパティ(&R)");
  return SUCCEEDED(result) ? HRESULT_CODE(result) : -1;
}

std::string HelpText(IContextMenu* handler, UINT offset) {
  char help[128] = {};
  handler->GetCommandString(offset, GCS_HELPTEXTA, nullptr, help, sizeof help);
  return help;
}

HRESULT Invoke(IContextMenu* handler, UINT offset, HWND window, const std::string& folder) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = window;
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.lpDirectory = folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  return handler->InvokeCommand(&info);
}

}  // namespace vlpd::demo
