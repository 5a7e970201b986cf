// KROStepOcctTypes.cpp - the read module and protocol that type what OCCT 7.6 leaves undefined.
#include "KROStepOcctTypes.h"

#include <Interface_Check.hxx>
#include <Interface_EntityIterator.hxx>
#include <Interface_GeneralLib.hxx>
#include <Interface_ReaderLib.hxx>
#include <StepAP214.hxx>
#include <StepAP214_Protocol.hxx>
#include <StepData_GeneralModule.hxx>
#include <StepData_Protocol.hxx>
#include <StepData_ReadWriteModule.hxx>
#include <StepData_StepReaderData.hxx>
#include <StepData_WriterLib.hxx>
#include <TColStd_SequenceOfAsciiString.hxx>
#include <TCollection_HAsciiString.hxx>

#include <algorithm>
#include <mutex>

std::vector<std::array<int, 3>> KROStepTriangulatedSet::Triangles(int& dropped) const {
  dropped = 0;
  std::vector<std::array<int, 3>> out;
  const int points =
      coordinates.IsNull() || coordinates->Points().IsNull() ? 0 : coordinates->Points()->Length();
  // A 1-based index of the file to a 0-based coordinate, or -1.
  auto point = [&](int index) {
    if (!pnindex.empty()) {
      if (index < 1 || index > static_cast<int>(pnindex.size())) return -1;
      index = pnindex[static_cast<std::size_t>(index - 1)];
    }
    return index >= 1 && index <= points ? index - 1 : -1;
  };
  auto add = [&](int a, int b, int c) {
    const std::array<int, 3> t{point(a), point(b), point(c)};
    if (t[0] < 0 || t[1] < 0 || t[2] < 0)
      ++dropped;
    else
      out.push_back(t);
  };
  for (const std::vector<int>& strip : strips)
    for (std::size_t i = 2; i < strip.size(); ++i) {
      // Every other triangle of a strip turns the other way: keep their windings alike.
      if (i % 2 == 0)
        add(strip[i - 2], strip[i - 1], strip[i]);
      else
        add(strip[i - 1], strip[i - 2], strip[i]);
    }
  for (const std::vector<int>& fan : fans)
    for (std::size_t i = 2; i < fan.size(); ++i)
      add(fan[0], fan[i - 1], fan[i]);
  return out;
}

namespace {

enum Case { kTriangulatedSet = 1, kRepositionedSet = 2 };

const char* const kTriangulatedSetType = "COMPLEX_TRIANGULATED_SURFACE_SET";

/// The types a repositioned tessellated set's record may combine, in the file's (alphabetical)
/// order; the two marked are the ones it must have.
const char* const kRepositionedParts[] = {"GEOMETRIC_REPRESENTATION_ITEM",
                                          "REPOSITIONED_TESSELLATED_ITEM", // must
                                          "REPRESENTATION_ITEM",
                                          "TESSELLATED_GEOMETRIC_SET", // must
                                          "TESSELLATED_ITEM"};

/// Reads list parameter `nump` of record `num` as integers; false when it is not a list.
bool ReadIntegers(const Handle(StepData_StepReaderData) & data, int num, int nump, const char* what,
                  Handle(Interface_Check) & ach, std::vector<int>& out) {
  int sub = 0;
  if (!data->ReadSubList(num, nump, what, ach, sub, Standard_True)) return false;
  const int n = data->NbParams(sub);
  out.reserve(static_cast<std::size_t>(std::max(n, 0)));
  for (int i = 1; i <= n; ++i) {
    int value = 0;
    if (data->ReadInteger(sub, i, what, ach, value)) out.push_back(value);
  }
  return true;
}

/// Reads list parameter `nump` of record `num` as lists of integers.
void ReadIntegerLists(const Handle(StepData_StepReaderData) & data, int num, int nump,
                      const char* what, Handle(Interface_Check) & ach,
                      std::vector<std::vector<int>>& out) {
  int sub = 0;
  if (!data->ReadSubList(num, nump, what, ach, sub, Standard_True)) return;
  const int n = data->NbParams(sub);
  for (int i = 1; i <= n; ++i) {
    std::vector<int> list;
    if (ReadIntegers(data, sub, i, what, ach, list)) out.push_back(std::move(list));
  }
}

/// The record of the part `type` of the complex entity starting at `num0`, or 0.
int Component(const Handle(StepData_StepReaderData) & data, int num0, const char* type) {
  for (int n = num0; n > 0; n = data->NextForComplex(n))
    if (data->RecordType(n).IsEqual(type)) return n;
  return 0;
}

class ReadModule : public StepData_ReadWriteModule {
public:
  Standard_Integer CaseStep(const TCollection_AsciiString& type) const override {
    return type.IsEqual(kTriangulatedSetType) ? kTriangulatedSet : 0;
  }

  Standard_Integer CaseStep(const TColStd_SequenceOfAsciiString& types) const override {
    bool repositioned = false, set = false;
    for (int i = 1; i <= types.Length(); ++i) {
      const TCollection_AsciiString& t = types.Value(i);
      bool known = false;
      for (const char* part : kRepositionedParts)
        known = known || t.IsEqual(part);
      if (!known) return 0;
      repositioned = repositioned || t.IsEqual("REPOSITIONED_TESSELLATED_ITEM");
      set = set || t.IsEqual("TESSELLATED_GEOMETRIC_SET");
    }
    return repositioned && set ? kRepositionedSet : 0;
  }

  Standard_Boolean IsComplex(const Standard_Integer cn) const override {
    return cn == kRepositionedSet;
  }

  const TCollection_AsciiString& StepType(const Standard_Integer cn) const override {
    static const TCollection_AsciiString triangulated(kTriangulatedSetType), none;
    return cn == kTriangulatedSet ? triangulated : none;
  }

  Standard_Boolean ComplexType(const Standard_Integer cn,
                               TColStd_SequenceOfAsciiString& types) const override {
    if (cn != kRepositionedSet) return Standard_False;
    for (const char* part : kRepositionedParts)
      types.Append(part);
    return Standard_True;
  }

  void ReadStep(const Standard_Integer cn, const Handle(StepData_StepReaderData) & data,
                const Standard_Integer num, Handle(Interface_Check) & ach,
                const Handle(Standard_Transient) & ent) const override {
    if (cn == kTriangulatedSet)
      ReadTriangulated(data, num, ach, Handle(KROStepTriangulatedSet)::DownCast(ent));
    else if (cn == kRepositionedSet)
      ReadRepositioned(data, num, ach, Handle(KROStepRepositionedSet)::DownCast(ent));
  }

  // Never asked: the importer writes no STEP file.
  void WriteStep(const Standard_Integer, StepData_StepWriter&,
                 const Handle(Standard_Transient) &) const override {}

  DEFINE_STANDARD_RTTI_INLINE(ReadModule, StepData_ReadWriteModule)

private:
  // (name, coordinates, pnmax, normals, pnindex, triangle_strips, triangle_fans)
  static void ReadTriangulated(const Handle(StepData_StepReaderData) & data, int num,
                               Handle(Interface_Check) & ach,
                               const Handle(KROStepTriangulatedSet) & set) {
    if (set.IsNull() || !data->CheckNbParams(num, 7, ach, "complex_triangulated_surface_set"))
      return;
    Handle(TCollection_HAsciiString) name;
    data->ReadString(num, 1, "name", ach, name);
    set->SetName(name.IsNull() ? new TCollection_HAsciiString() : name);
    data->ReadEntity(num, 2, "coordinates", ach, STANDARD_TYPE(StepVisual_CoordinatesList),
                     set->coordinates);
    ReadIntegers(data, num, 5, "pnindex", ach, set->pnindex);
    ReadIntegerLists(data, num, 6, "triangle_strips", ach, set->strips);
    ReadIntegerLists(data, num, 7, "triangle_fans", ach, set->fans);
  }

  static void ReadRepositioned(const Handle(StepData_StepReaderData) & data, int num0,
                               Handle(Interface_Check) & ach,
                               const Handle(KROStepRepositionedSet) & set) {
    if (set.IsNull()) return;
    int num = Component(data, num0, "REPOSITIONED_TESSELLATED_ITEM");
    if (num > 0 && data->CheckNbParams(num, 1, ach, "repositioned_tessellated_item"))
      data->ReadEntity(num, 1, "location", ach, STANDARD_TYPE(StepGeom_Axis2Placement3d),
                       set->location);
    Handle(TCollection_HAsciiString) name;
    num = Component(data, num0, "REPRESENTATION_ITEM");
    if (num > 0 && data->CheckNbParams(num, 1, ach, "representation_item"))
      data->ReadString(num, 1, "name", ach, name);
    set->SetName(name.IsNull() ? new TCollection_HAsciiString() : name);
    num = Component(data, num0, "TESSELLATED_GEOMETRIC_SET");
    int sub = 0;
    if (num > 0 && data->CheckNbParams(num, 1, ach, "tessellated_geometric_set") &&
        data->ReadSubList(num, 1, "items", ach, sub))
      for (int i = 1; i <= data->NbParams(sub); ++i) {
        Handle(Standard_Transient) item;
        if (data->ReadEntity(sub, i, "item", ach, STANDARD_TYPE(Standard_Transient), item))
          set->items.push_back(item);
      }
  }
};

class GeneralModule : public StepData_GeneralModule {
public:
  void FillSharedCase(const Standard_Integer cn, const Handle(Standard_Transient) & ent,
                      Interface_EntityIterator& iter) const override {
    if (cn == kTriangulatedSet) {
      if (auto set = Handle(KROStepTriangulatedSet)::DownCast(ent))
        iter.GetOneItem(set->coordinates);
    } else if (cn == kRepositionedSet) {
      if (auto set = Handle(KROStepRepositionedSet)::DownCast(ent)) {
        iter.GetOneItem(set->location);
        for (const Handle(Standard_Transient) & item : set->items)
          iter.GetOneItem(item);
      }
    }
  }
  void CheckCase(const Standard_Integer, const Handle(Standard_Transient) &,
                 const Interface_ShareTool&, Handle(Interface_Check) &) const override {}
  // Never asked: the importer copies no STEP model.
  void CopyCase(const Standard_Integer, const Handle(Standard_Transient) &,
                const Handle(Standard_Transient) &, Interface_CopyTool&) const override {}
  Standard_Boolean NewVoid(const Standard_Integer cn,
                           Handle(Standard_Transient) & ent) const override {
    if (cn == kTriangulatedSet)
      ent = new KROStepTriangulatedSet();
    else if (cn == kRepositionedSet)
      ent = new KROStepRepositionedSet();
    else
      return Standard_False;
    return Standard_True;
  }
  DEFINE_STANDARD_RTTI_INLINE(GeneralModule, StepData_GeneralModule)
};

/// OCCT's STEP protocol and our two types: OCCT's libraries find a module through the
/// protocol it is registered with and that protocol's resources.
class Protocol : public StepData_Protocol {
public:
  Standard_Integer NbResources() const override { return 1; }
  Handle(Interface_Protocol) Resource(const Standard_Integer) const override {
    return StepAP214::Protocol();
  }
  Standard_Integer TypeNumber(const Handle(Standard_Type) & type) const override {
    if (type == STANDARD_TYPE(KROStepTriangulatedSet)) return kTriangulatedSet;
    if (type == STANDARD_TYPE(KROStepRepositionedSet)) return kRepositionedSet;
    return 0;
  }
  Standard_CString SchemaName() const override { return StepAP214::Protocol()->SchemaName(); }
  DEFINE_STANDARD_RTTI_INLINE(Protocol, StepData_Protocol)
};

} // namespace

void KROStepUseOwnTypes(const Handle(XSControl_WorkSession) & ws) {
  // Registered once, for the process's life, as OCCT registers its own modules.
  static Protocol* protocol = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    Handle(Protocol) p = new Protocol();
    Handle(ReadModule) reader = new ReadModule();
    Interface_GeneralLib::SetGlobal(new GeneralModule(), p);
    Interface_ReaderLib::SetGlobal(reader, p);
    StepData_WriterLib::SetGlobal(reader, p);
    protocol = p.get();
  });
  if (!ws.IsNull()) ws->SetProtocol(protocol);
}
