#include "host/classic_menu_host.h"

#include <cstdio>

#include "server/clsid.h"

namespace vlpd::test {
namespace {

// The last identifier the host grants the handler.
constexpr UINT kLastId = kFirstId + 0x7FFF;

// Items of the host's own around the handler's, as Explorer has them.
constexpr UINT kHostCut = 1;
constexpr UINT kHostCopy = 2;
constexpr UINT kHostProperties = 3;

}  // namespace

std::string ClsidText(const CLSID& clsid) {
  wchar_t wide[64] = {};
  StringFromGUID2(clsid, wide, 64);
  char text[64] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

ComRef<IContextMenu> NewRegisteredHandler(IDataObject* data, std::string& error) {
  ComRef<IContextMenu> handler;
  const HRESULT created = CoCreateInstance(kClsidVLPDMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                           reinterpret_cast<void**>(handler.Put()));
  if (FAILED(created)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(created));
    error = "CoCreateInstance of " + ClsidText(kClsidVLPDMenu) + " gave " + code +
            " (is VLPDMenu.dll registered?)";
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

std::string AskHelpText(IContextMenu* handler, UINT offset) {
  char help[128] = {};
  handler->GetCommandString(offset, GCS_HELPTEXTA, nullptr, help, sizeof help);
  return help;
}

HRESULT InvokeCommand(IContextMenu* handler, LPCSTR verb, HWND owner, const char* directory) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = owner;
  info.lpVerb = verb;
  info.lpDirectory = directory;
  info.nShow = SW_SHOWNORMAL;
  return handler->InvokeCommand(&info);
}

}  // namespace vlpd::test
