#include "host/shell_data_object.h"

#include <shlobj.h>

#include "host/wide_text.h"

namespace vlpd::test {
namespace {

struct PidlList {
  std::vector<LPITEMIDLIST> items;
  PidlList() = default;
  PidlList(const PidlList&) = delete;
  PidlList& operator=(const PidlList&) = delete;
  ~PidlList() {
    for (LPITEMIDLIST p : items) CoTaskMemFree(p);
  }
};

}  // namespace

ComRef<IDataObject> ShellDataObject(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::wstring> wide_names;
  for (const std::string& name : names) wide_names.push_back(Wide(name));
  return ShellDataObject(Wide(folder), wide_names);
}

ComRef<IDataObject> ShellDataObject(const std::wstring& folder, const std::vector<std::wstring>& names) {
  ComRef<IDataObject> result;
  ComRef<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Put()))) return result;

  PidlList folder_pidl;
  LPITEMIDLIST pidl = nullptr;
  std::wstring wfolder = folder;
  if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, wfolder.data(), nullptr, &pidl, nullptr))) {
    return result;
  }
  folder_pidl.items.push_back(pidl);

  ComRef<IShellFolder> parent;
  if (FAILED(
          desktop->BindToObject(pidl, nullptr, IID_IShellFolder, reinterpret_cast<void**>(parent.Put())))) {
    return result;
  }
  PidlList children;
  for (const std::wstring& name : names) {
    std::wstring wname = name;
    LPITEMIDLIST child = nullptr;
    if (FAILED(parent->ParseDisplayName(nullptr, nullptr, wname.data(), nullptr, &child, nullptr)))
      return result;
    children.items.push_back(child);
  }
  parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.items.size()),
                        const_cast<LPCITEMIDLIST*>(children.items.data()), IID_IDataObject, nullptr,
                        reinterpret_cast<void**>(result.Put()));
  return result;
}

}  // namespace vlpd::test
