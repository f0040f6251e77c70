// The DLL as a COM server: its exports, the class factory, the handler's identity and counts,
// and DllCanUnloadNow following the live objects.
#include <windows.h>
// The shell headers need windows.h first.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "host/test_data_object.h"
#include "host/vlpd_dll.h"
#include "server/clsid.h"
#include "win/com_object.h"
#include "win/module_state.h"

namespace vlpd::test {
namespace {

void* const kGarbage = reinterpret_cast<void*>(0x1234);

class ComFrameTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dll_.Loaded()) << "VLPDMenu.dll not found";
    ASSERT_EQ(dll_.CanUnloadNow(), S_OK);
  }
  void TearDown() override { EXPECT_EQ(dll_.CanUnloadNow(), S_OK) << "an object outlived its test"; }

  ComRef<IClassFactory> Factory() {
    ComRef<IClassFactory> factory;
    EXPECT_EQ(dll_.GetClassObject(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())),
              S_OK);
    return factory;
  }

  VlpdDll dll_;
};

// Reference count of `object` without changing it.
ULONG Count(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(ComFrameTest, ExportsItsEntryPointsByNameAndOrdinal) {
  const HMODULE module = dll_.Module();
  const FARPROC can_unload = GetProcAddress(module, "DllCanUnloadNow");
  const FARPROC get_class = GetProcAddress(module, "DllGetClassObject");
  ASSERT_NE(can_unload, nullptr);
  ASSERT_NE(get_class, nullptr);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(1)), can_unload);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(2)), get_class);

  const auto* base = reinterpret_cast<const unsigned char*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(exports.VirtualAddress, 0u);
  const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exports.VirtualAddress);
  EXPECT_STREQ(reinterpret_cast<const char*>(base + directory->Name), "VLPDMenu.dll");
  EXPECT_EQ(directory->Base, 1u);
}

TEST_F(ComFrameTest, ImportsOnlySystemLibraries) {
  const auto* base = reinterpret_cast<const unsigned char*>(dll_.Module());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(imports.VirtualAddress, 0u);
  int libraries = 0;
  for (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry, ++libraries) {
    std::string name = reinterpret_cast<const char*>(base + entry->Name);
    CharLowerA(name.data());
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    // The MinGW runtime DLLs (libstdc++, libgcc, libwinpthread) are not in the system folder.
    EXPECT_NE(GetFileAttributesA((std::string(system) + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES)
        << name;
    EXPECT_NE(name.rfind("lib", 0), 0u) << name;
  }
  EXPECT_GT(libraries, 0);
}

TEST_F(ComFrameTest, AFactoryCountsAsALiveObject) {
  IClassFactory* factory = nullptr;
  ASSERT_EQ(dll_.GetClassObject(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(Count(factory), 1u);
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComFrameTest, EveryCallMakesANewFactory) {
  IUnknown* first = nullptr;
  IUnknown* second = nullptr;
  ASSERT_EQ(dll_.GetClassObject(kClsidVLPDMenu, IID_IUnknown, reinterpret_cast<void**>(&first)), S_OK);
  ASSERT_EQ(dll_.GetClassObject(kClsidVLPDMenu, IID_IClassFactory, reinterpret_cast<void**>(&second)), S_OK);
  EXPECT_NE(first, second);
  first->Release();
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);  // the second still lives
  second->Release();
}

TEST_F(ComFrameTest, RefusedRequestsLeaveANullPointerAndNoObject) {
  void* out = kGarbage;
  EXPECT_EQ(dll_.GetClassObject(kClsidVLPDMenu, IID_IContextMenu, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);

  out = kGarbage;
  EXPECT_EQ(dll_.GetClassObject(IID_IContextMenu, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComFrameTest, FactoryAnswersOnlyForItsOwnInterfaces) {
  auto factory = Factory();
  ASSERT_TRUE(factory);
  void* out = kGarbage;
  EXPECT_EQ(factory->QueryInterface(IID_IContextMenu, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(Count(factory.Get()), 1u);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(factory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(factory.Get()));
  EXPECT_EQ(Count(factory.Get()), 2u);
  unknown->Release();
}

TEST_F(ComFrameTest, ServerLocksDoNotKeepTheModuleLoaded) {
  {
    auto factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(Count(factory.Get()), 1u);
  }
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComFrameTest, AggregationIsRefusedForEveryInterface) {
  auto factory = Factory();
  ASSERT_TRUE(factory);
  auto outer = TestDataObject::Make({});
  for (REFIID iid : {IID_IUnknown, IID_IContextMenu, IID_IShellExtInit}) {
    void* out = kGarbage;
    EXPECT_EQ(factory->CreateInstance(outer.Get(), iid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(outer->References(), 1);
  factory.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComFrameTest, AHandlerAskedForAForeignInterfaceIsNotKept) {
  auto factory = Factory();
  ASSERT_TRUE(factory);
  void* out = kGarbage;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  factory.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComFrameTest, HandlerIdentityIsTheShellExtInitPointer) {
  auto factory = Factory();
  ASSERT_TRUE(factory);
  ComRef<IContextMenu> menu;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(menu.Put())), S_OK);
  EXPECT_EQ(Count(menu.Get()), 1u);
  ComRef<IShellExtInit> init;
  ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())), S_OK);
  ComRef<IUnknown> from_menu;
  ComRef<IUnknown> from_init;
  ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(from_menu.Put())), S_OK);
  ASSERT_EQ(init->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(from_init.Put())), S_OK);
  EXPECT_EQ(from_menu.Get(), from_init.Get());
  EXPECT_EQ(static_cast<void*>(from_menu.Get()), static_cast<void*>(init.Get()));
  EXPECT_NE(static_cast<void*>(from_menu.Get()), static_cast<void*>(menu.Get()));
  ComRef<IContextMenu> back;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(back.Put())), S_OK);
  EXPECT_EQ(back.Get(), menu.Get());
  EXPECT_EQ(Count(menu.Get()), 5u);  // menu, init, two identities, back: one shared count

  void* out = kGarbage;
  EXPECT_EQ(menu->QueryInterface(IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  out = kGarbage;
  EXPECT_EQ(init->QueryInterface(IID_IDataObject, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(Count(init.Get()), 5u);
}

TEST_F(ComFrameTest, CountsAreSharedAcrossInterfacesAndEitherCanEndTheObject) {
  auto factory = Factory();
  ASSERT_TRUE(factory);
  IContextMenu* menu = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu)), S_OK);
  IShellExtInit* init = nullptr;
  ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
  factory.Reset();
  EXPECT_EQ(menu->AddRef(), 3u);
  EXPECT_EQ(init->Release(), 2u);
  EXPECT_EQ(init->AddRef(), 3u);
  EXPECT_EQ(menu->Release(), 2u);
  EXPECT_EQ(menu->Release(), 1u);
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
  EXPECT_EQ(init->Release(), 0u);  // the last reference, through the second interface
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(ComFrameTest, ADestroyedHandlerGivesItsDataObjectBack) {
  auto data = TestDataObject::Make({"C:\\a.txt"});
  {
    ComRef<IContextMenu> handler = dll_.CreateHandler();
    ASSERT_TRUE(handler);
    ComRef<IShellExtInit> init;
    ASSERT_EQ(handler->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.Put())), S_OK);
    ASSERT_EQ(init->Initialize(nullptr, data.Get(), nullptr), S_OK);
    EXPECT_EQ(data->References(), 2);
  }
  EXPECT_EQ(data->References(), 1);
}

TEST_F(ComFrameTest, AnUninitialisedHandlerEndsCleanly) {
  ComRef<IContextMenu> handler = dll_.CreateHandler();
  ASSERT_TRUE(handler);
  EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
  handler.Reset();
  EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

// The module's count of an object outlives each of its interfaces: an interface's destructor (the
// Windows 11 commands' releases the shell's site) still runs in a module that cannot be unloaded.
LONG g_count_seen = -1;
struct CountWatcher {
  ~CountWatcher() { g_count_seen = ObjectCount(); }
};
class Watched final : public ComObject<Watched, IUnknown, CountWatcher> {
 public:
  static const InterfaceEntry<Watched> kInterfaces[1];
  Watched() = default;

 private:
  friend ComObject;
  ~Watched() = default;
};
const InterfaceEntry<Watched> Watched::kInterfaces[1] = {{&IID_IUnknown, CastTo<Watched, IUnknown>}};

TEST(ComObject, GivesTheModuleCountBackAfterEveryInterface) {
  const LONG before = ObjectCount();
  IUnknown* object = nullptr;
  ASSERT_EQ(QueryNewObject(new Watched(), IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
  EXPECT_EQ(ObjectCount(), before + 1);
  object->Release();
  EXPECT_EQ(g_count_seen, before + 1);
  EXPECT_EQ(ObjectCount(), before);
}

}  // namespace
}  // namespace vlpd::test
