// The library's registry: every class's metaclass and class operations, the 19 dictionary entries
// in their order, which interfaces each component answers, and the exported tie-creation
// functions of the built library.
#include "KRODictionary.h"
#include "KROITPSLightSetServices.h"
#include "KROModelTestSupport.h"
#include "KROTPSLightCG.h"
#include "KROTPSLightCapture.h"
#include "KROTPSLightFake.h"
#include "KROTPSLightRefFrame.h"
#include "KROTPSLightSet.h"
#include "KROTPSLightSetExt.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"
#include "KROTPSLightView.h"

#include <gtest/gtest.h>

#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fstream>
#include <set>
#include <string>

namespace {

struct ClassRow {
  const char* name;
  ENUMTypeOfClass kind;
  const char* secondName;
  std::size_t size;
  KROMetaClass* (*meta)();
  KROClassId (*classId)();
  const char* (*className)();
  KROBaseUnknown* (*createItself)();
  KROBaseUnknown* (*make)();
};
template <class C> ClassRow Row(const char* name, ENUMTypeOfClass kind, const char* second) {
  return {name,
          kind,
          second,
          sizeof(C),
          &C::MetaObject,
          &C::ClassId,
          &C::ClassName,
          &C::CreateItself,
          []() -> KROBaseUnknown* { return new C(); }};
}
const ClassRow kClasses[] = {
    Row<KROTPSLightTPS>("KROTPSLightTPS", Implementation, "KROTPSLightTPS"),
    Row<KROTPSLightView>("KROTPSLightView", Implementation, "KROTPSLightView"),
    Row<KROTPSLightRefFrame>("KROTPSLightRefFrame", Implementation, "KROTPSLightRefFrame"),
    Row<KROTPSLightCapture>("KROTPSLightCapture", Implementation, "KROTPSLightCapture"),
    Row<KROTPSLightCG>("KROTPSLightCG", Implementation, "KROTPSLightCG"),
    Row<KROTPSLightFake>("KROTPSLightFake", Implementation, "KROTPSLightFake"),
    Row<KROTPSLightTTRS>("KROTPSLightTTRS", Implementation, "KROTPSLightTTRS"),
    Row<KROTPSLightContainer>("KROTPSLightContainer", Implementation, "KROTPSLightContainer"),
    Row<KROTPSLightSet>("KROTPSLightSet", Implementation, "KRONull"),
    Row<KROTPSLightSetExt>("KROTPSLightSetExt", DataExtension, "KROTPSLightSet"),
};

struct Itf {
  const IID* iid;
  const char* name;
};
template <class I> Itf ItfOf() { return {&I::kIID, I::kName}; }
const Itf kCG = ItfOf<KROITPSLightCG>(), kLight = ItfOf<KROITPSLight>(),
          kCapture = ItfOf<KROITPSLightCapture>(), kFactory = ItfOf<KROITPSLightModelFactory>(),
          kFake = ItfOf<KROITPSLightFake>(), kFrame = ItfOf<KROITPSLightRefFrame>(),
          kSet = ItfOf<KROITPSLightSet>(), kBroker = ItfOf<KROITPSIdBroker>(),
          kServices = ItfOf<KROITPSLightSetServices>(), kModel = ItfOf<KROITPSLightModel>(),
          kTTRS = ItfOf<KROITPSLightTTRS>(), kView = ItfOf<KROITPSLightView>();

struct Entry {
  const char* className;
  Itf itf;
};
const Entry kEntries[19] = {{"KROTPSLightCG", kCG},
                            {"KROTPSLightCG", kLight},
                            {"KROTPSLightCapture", kCapture},
                            {"KROTPSLightCapture", kLight},
                            {"KROTPSLightContainer", kFactory},
                            {"KROTPSLightFake", kFake},
                            {"KROTPSLightFake", kLight},
                            {"KROTPSLightRefFrame", kFrame},
                            {"KROTPSLightRefFrame", kLight},
                            {"KROTPSLightSetExt", kSet},
                            {"KROTPSLightSetExt", kBroker},
                            {"KROTPSLightSetExt", kLight},
                            {"KROTPSLightSetExt", kServices},
                            {"KROTPSLightTPS", kModel},
                            {"KROTPSLightTPS", kLight},
                            {"KROTPSLightTTRS", kTTRS},
                            {"KROTPSLightTTRS", kLight},
                            {"KROTPSLightView", kView},
                            {"KROTPSLightView", kLight}};

std::string TieFunctionName(const Entry& e) {
  return std::string("CreateTIE") + e.itf.name + e.className;
}

/// Names of the defined, default-visibility functions in the dynamic symbol table of an ELF64
/// file; empty when the file cannot be read or parsed.
std::set<std::string> ExportedFunctions(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::string bytes(in ? std::size_t(in.tellg()) : 0, '\0');
  in.seekg(0);
  in.read(bytes.data(), std::streamsize(bytes.size()));
  std::set<std::string> names;
  auto fits = [&](std::uint64_t off, std::uint64_t len) {
    return off <= bytes.size() && len <= bytes.size() - off;
  };
  Elf64_Ehdr eh;
  if (!fits(0, sizeof eh)) return names;
  std::memcpy(&eh, bytes.data(), sizeof eh);
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64 ||
      eh.e_shentsize != sizeof(Elf64_Shdr) || !fits(eh.e_shoff, eh.e_shnum * sizeof(Elf64_Shdr)))
    return names;
  auto section = [&](unsigned i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, bytes.data() + eh.e_shoff + i * sizeof sh, sizeof sh);
    return sh;
  };
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    const Elf64_Shdr syms = section(i);
    if (syms.sh_type != SHT_DYNSYM || syms.sh_link >= eh.e_shnum) continue;
    const Elf64_Shdr strs = section(syms.sh_link);
    if (!fits(syms.sh_offset, syms.sh_size) || !fits(strs.sh_offset, strs.sh_size)) continue;
    for (std::uint64_t at = 0; at + sizeof(Elf64_Sym) <= syms.sh_size; at += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      std::memcpy(&sym, bytes.data() + syms.sh_offset + at, sizeof sym);
      const int bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || ELF64_ST_TYPE(sym.st_info) != STT_FUNC ||
          (bind != STB_GLOBAL && bind != STB_WEAK) ||
          ELF64_ST_VISIBILITY(sym.st_other) != STV_DEFAULT || sym.st_name >= strs.sh_size)
        continue;
      const char* name = bytes.data() + strs.sh_offset + sym.st_name;
      names.emplace(name, strnlen(name, strs.sh_size - sym.st_name));
    }
  }
  return names;
}

using Registry = KROTest;

TEST_F(Registry, EveryClassHasItsMetaclassAndClassOperations) {
  for (const ClassRow& row : kClasses) {
    SCOPED_TRACE(row.name);
    KROMetaClass* meta = row.meta();
    ASSERT_NE(meta, nullptr);
    EXPECT_EQ(row.meta(), meta);
    EXPECT_EQ(fct_FindMetaObject(row.name), meta);
    EXPECT_STREQ(meta->IsA(), row.name);
    EXPECT_EQ(meta->GetTypeOfClass(), row.kind);
    EXPECT_STREQ(meta->GetSecondName(), row.secondName);
    EXPECT_STREQ(meta->GetFrameworkName(), "KROTPSLightInterfaces");
    EXPECT_EQ(meta->GetObjectSize(), row.size);
    EXPECT_EQ(meta->GetParent(), KROBaseUnknown::MetaObject());
    EXPECT_EQ(row.classId(), meta->GetClassId());
    EXPECT_STREQ(row.className(), row.name);

    KROBaseUnknown* obj = row.make();
    EXPECT_EQ(obj->GetMetaObject(), meta);
    EXPECT_STREQ(obj->IsA(), row.name);
    EXPECT_TRUE(obj->IsAKindOf(row.name));
    EXPECT_TRUE(obj->IsAKindOf("KROBaseUnknown"));
    EXPECT_FALSE(obj->IsAKindOf(&row == kClasses ? "KROTPSLightView" : "KROTPSLightTPS"));
    obj->Release();

    KROBaseUnknown* made = row.createItself();
    EXPECT_EQ(made != nullptr, row.kind == DataExtension);
    if (made) {
      EXPECT_EQ(made->GetMetaObject(), meta);
      made->Release();
    }
  }
  const auto& extended = KROTPSLightSetExt::MetaObject()->GetExtendedTypes();
  ASSERT_EQ(extended.size(), 2u);
  EXPECT_EQ(extended[0], fct_FindMetaObject("KROTPSLightSet"));
  EXPECT_EQ(extended[1], fct_FindMetaObject("KROTPSResultSet"));
}

TEST_F(Registry, TheNineteenEntriesComeInOrderAndNameTheirExportedFunctions) {
  std::set<const KROMetaClass*> ours;
  for (const ClassRow& row : kClasses)
    ours.insert(row.meta());
  std::vector<KRODictionaryEntryInfo> entries;
  for (const KRODictionaryEntryInfo& e : KRODictionaryEntries())
    if (ours.count(e.classMeta)) entries.push_back(e);
  ASSERT_EQ(entries.size(), 19u);
  for (int i = 0; i < 19; ++i) {
    SCOPED_TRACE(TieFunctionName(kEntries[i]));
    const KROMetaClass* tie = entries[std::size_t(i)].tieMeta;
    EXPECT_STREQ(entries[std::size_t(i)].classMeta->IsA(), kEntries[i].className);
    EXPECT_EQ(tie->GetTypeOfClass(), TIE);
    EXPECT_STREQ(tie->IsA(), kEntries[i].itf.name);
    ASSERT_NE(tie->GetIID(), nullptr);
    EXPECT_EQ(*tie->GetIID(), *kEntries[i].itf.iid);
    EXPECT_EQ(tie->GetParent(), entries[std::size_t(i)].classMeta);
    EXPECT_EQ(reinterpret_cast<void*>(entries[std::size_t(i)].createTie),
              dlsym(RTLD_DEFAULT, TieFunctionName(kEntries[i]).c_str()));
  }
}

TEST_F(Registry, EachComponentAnswersExactlyItsInterfacesWithOneIdentity) {
  const Itf all[] = {kCG,  kLight,  kCapture,  kFactory, kFake, kFrame,
                     kSet, kBroker, kServices, kModel,   kTTRS, kView};
  for (const ClassRow& row : kClasses) {
    if (row.kind == DataExtension) continue; // reached through the set's component
    SCOPED_TRACE(row.name);
    const char* answering =
        std::strcmp(row.name, "KROTPSLightSet") ? row.name : "KROTPSLightSetExt";
    KROBaseUnknown* obj = row.make();
    for (const Itf& itf : all) {
      bool expected = false;
      for (const Entry& e : kEntries)
        expected = expected || (!std::strcmp(e.className, answering) && e.itf.iid == itf.iid);
      KROComPtr<KROBaseUnknown> face;
      EXPECT_EQ(SUCCEEDED(obj->QueryInterface(*itf.iid, face.Put())), expected) << itf.name;
      if (face) {
        EXPECT_EQ(KROBaseOf(face.Get()), obj) << itf.name;
      }
    }
    obj->Release();
  }
}

// A host finds the ties' creation functions by name in the shared library; the classes behind the
// interfaces are the library's own business, and none of their members is exported.
TEST_F(Registry, TheLibraryExportsTheNineteenTieCreationFunctionsAndNoPrivateClass) {
  const std::set<std::string> functions = ExportedFunctions(KRO_KERNEL_LIBRARY_FILE);
  ASSERT_FALSE(functions.empty()) << KRO_KERNEL_LIBRARY_FILE;
  std::set<std::string> exported;
  for (const std::string& name : functions)
    if (name.rfind("CreateTIE", 0) == 0) exported.insert(name);
  std::set<std::string> expected;
  for (const Entry& e : kEntries)
    expected.insert(TieFunctionName(e));
  EXPECT_EQ(exported, expected) << KRO_KERNEL_LIBRARY_FILE;
  for (const char* name :
       {"KROTPSLightAdapt", "KROTPSLightTPS", "KROTPSLightSet", "KROTPSLightSetExt",
        "KROTPSLightView", "KROTPSLightRefFrame", "KROTPSLightCapture", "KROTPSLightTTRS",
        "KROTPSLightCG", "KROTPSLightFake", "KROTPSAnnotationsHashTable", "KROTPSAnnotationEntry",
        "KROTPSHolderIndex", "KROTPSEntryIndex", "KROTPSHolder", "KROTPSTagIndex",
        "KROTPSModelGeneration"}) {
    const std::string mangled =
        std::to_string(std::strlen(name)) + name; // as in _ZN14KROTPSLightTPS
    for (const std::string& function : functions)
      EXPECT_EQ(function.find(mangled), std::string::npos) << function << " is exported";
  }
}

} // namespace
