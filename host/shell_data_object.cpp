#include "host/shell_data_object.h"

#include <shlobj.h>

#include "host/wide_text.h"
#include "win/com_owners.h"

namespace vlpd::test {
namespace {

using Pidl = TaskMemory<ITEMIDLIST>;

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

  Pidl folder_pidl;
  std::wstring wfolder = folder;
  if (FAILED(
          desktop->ParseDisplayName(nullptr, nullptr, wfolder.data(), nullptr, folder_pidl.Put(), nullptr))) {
    return result;
  }

  ComRef<IShellFolder> parent;
  if (FAILED(desktop->BindToObject(folder_pidl.Get(), nullptr, IID_IShellFolder,
                                   reinterpret_cast<void**>(parent.Put())))) {
    return result;
  }
  std::vector<Pidl> children(names.size());
  std::vector<LPCITEMIDLIST> child_ids;
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::wstring wname = names[i];
    if (FAILED(parent->ParseDisplayName(nullptr, nullptr, wname.data(), nullptr, children[i].Put(), nullptr)))
      return result;
    child_ids.push_back(children[i].Get());
  }
  parent->GetUIObjectOf(nullptr, static_cast<UINT>(child_ids.size()), child_ids.data(), IID_IDataObject,
                        nullptr, reinterpret_cast<void**>(result.Put()));
  return result;
}

}  // namespace vlpd::test
