// KROStepFactReader.cpp - the file's semantic PMI, read from OCCT's STEP model.
///
/// Entities come in two forms: typed by OCCT (its StepDimTol_, StepShape_, StepRepr_ classes), or
/// kept as undefined content (a StepData_UndefinedEntity: the record's parameters as OCCT parsed
/// them), either as the model's entity or as the content of an error report on a typed entity
/// that OCCT could not fill. Both are read; every reference is checked for its type before it
/// is followed, and walks along references are bounded, so a malformed record is skipped,
/// never followed into a loop. The file is not parsed a second time.
#include "KROStepFactReader.h"

#include <Interface_Check.hxx>
#include <Interface_EntityIterator.hxx>
#include <Interface_Graph.hxx>
#include <Interface_ReportEntity.hxx>
#include <Interface_UndefinedContent.hxx>
#include <STEPConstruct_UnitContext.hxx>
#include <StepAP242_DraughtingModelItemAssociation.hxx>
#include <StepAP242_GeometricItemSpecificUsage.hxx>
#include <StepAP242_ItemIdentifiedRepresentationUsage.hxx>
#include <StepBasic_LengthMeasureWithUnit.hxx>
#include <StepBasic_MeasureValueMember.hxx>
#include <StepBasic_MeasureWithUnit.hxx>
#include <StepBasic_NamedUnit.hxx>
#include <StepBasic_ProductDefinition.hxx>
#include <StepData_StepModel.hxx>
#include <StepData_UndefinedEntity.hxx>
#include <StepDimTol_Datum.hxx>
#include <StepDimTol_DatumFeature.hxx>
#include <StepDimTol_DatumReference.hxx>
#include <StepDimTol_DatumReferenceCompartment.hxx>
#include <StepDimTol_DatumReferenceElement.hxx>
#include <StepDimTol_DatumReferenceModifierWithValue.hxx>
#include <StepDimTol_DatumSystem.hxx>
#include <StepDimTol_DatumTarget.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRef.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMaxTol.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndModGeoTolAndPosTol.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndUneqDisGeoTol.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthMaxTol.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthMod.hxx>
#include <StepDimTol_GeometricTolerance.hxx>
#include <StepDimTol_GeometricToleranceRelationship.hxx>
#include <StepDimTol_GeometricToleranceWithDatumReference.hxx>
#include <StepDimTol_GeometricToleranceWithDefinedAreaUnit.hxx>
#include <StepDimTol_GeometricToleranceWithDefinedUnit.hxx>
#include <StepDimTol_GeometricToleranceWithMaximumTolerance.hxx>
#include <StepDimTol_GeometricToleranceWithModifiers.hxx>
#include <StepDimTol_HArray1OfDatumReferenceElement.hxx>
#include <StepDimTol_HArray1OfDatumReferenceModifier.hxx>
#include <StepDimTol_ModifiedGeometricTolerance.hxx>
#include <StepDimTol_PlacedDatumTargetFeature.hxx>
#include <StepDimTol_ProjectedZoneDefinition.hxx>
#include <StepDimTol_SimpleDatumReferenceModifierMember.hxx>
#include <StepDimTol_ToleranceZone.hxx>
#include <StepDimTol_ToleranceZoneForm.hxx>
#include <StepDimTol_UnequallyDisposedGeometricTolerance.hxx>
#include <StepGeom_Axis2Placement3d.hxx>
#include <StepGeom_CartesianPoint.hxx>
#include <StepGeom_Direction.hxx>
#include <StepGeom_GeomRepContextAndGlobUnitAssCtxAndGlobUncertaintyAssCtx.hxx>
#include <StepRepr_CompoundRepresentationItem.hxx>
#include <StepRepr_DescriptiveRepresentationItem.hxx>
#include <StepRepr_GlobalUnitAssignedContext.hxx>
#include <StepRepr_MeasureRepresentationItem.hxx>
#include <StepRepr_ProductDefinitionShape.hxx>
#include <StepRepr_PropertyDefinition.hxx>
#include <StepRepr_PropertyDefinitionRepresentation.hxx>
#include <StepRepr_ReprItemAndMeasureWithUnit.hxx>
#include <StepRepr_ReprItemAndMeasureWithUnitAndQRI.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationItem.hxx>
#include <StepRepr_ShapeAspect.hxx>
#include <StepRepr_ShapeAspectRelationship.hxx>
#include <StepRepr_ShapeRepresentationRelationship.hxx>
#include <StepRepr_ValueRange.hxx>
#include <StepShape_DimensionalCharacteristicRepresentation.hxx>
#include <StepShape_DimensionalLocation.hxx>
#include <StepShape_DimensionalSize.hxx>
#include <StepShape_HArray1OfValueQualifier.hxx>
#include <StepShape_LimitsAndFits.hxx>
#include <StepShape_PlusMinusTolerance.hxx>
#include <StepShape_QualifiedRepresentationItem.hxx>
#include <StepShape_ShapeDefinitionRepresentation.hxx>
#include <StepShape_ShapeDimensionRepresentation.hxx>
#include <StepShape_ToleranceValue.hxx>
#include <StepShape_TypeQualifier.hxx>
#include <StepShape_ValueFormatTypeQualifier.hxx>
#include <StepVisual_AnnotationCurveOccurrence.hxx>
#include <StepVisual_AnnotationFillAreaOccurrence.hxx>
#include <StepVisual_CameraModelD3.hxx>
#include <StepVisual_DraughtingCallout.hxx>
#include <StepVisual_TessellatedAnnotationOccurrence.hxx>
#include <StepVisual_ViewVolume.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TransferBRep.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XSControl_TransferReader.hxx>
#include <gp_Ax2.hxx>

#include <TColStd_HArray1OfReal.hxx>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>

namespace {

using Transient = Handle(Standard_Transient);

constexpr int kMaxDepth = 16;               ///< longest chain of shape aspects followed
constexpr std::size_t kMaxShapes = 1 << 20; ///< faces and edges gathered for one record

/// A record's parameters as OCCT parsed them, for entities it kept as undefined content.
class KROStepRecord {
public:
  KROStepRecord(const Handle(StepData_StepModel) & model, const Transient& entity) {
    Handle(StepData_UndefinedEntity) u = Handle(StepData_UndefinedEntity)::DownCast(entity);
    const int n = entity.IsNull() ? 0 : model->Number(entity);
    if (u.IsNull() && n > 0 && model->IsReportEntity(n)) {
      Handle(Interface_ReportEntity) report = model->ReportEntity(n);
      if (!report.IsNull()) u = Handle(StepData_UndefinedEntity)::DownCast(report->Content());
    }
    // A complex instance is a chain of parts; a bound keeps a malformed chain finite.
    for (int i = 0; !u.IsNull() && i < 64; ++i) {
      parts_.push_back(u);
      u = u->IsComplex() ? u->Next() : Handle(StepData_UndefinedEntity)();
    }
  }

  bool Empty() const { return parts_.empty(); }

  Handle(StepData_UndefinedEntity) Part(const char* type) const {
    for (const auto& p : parts_)
      if (std::strcmp(p->StepType(), type) == 0) return p;
    return nullptr;
  }

  bool Has(const char* type) const { return !Part(type).IsNull(); }

  const std::vector<Handle(StepData_UndefinedEntity)>& Parts() const { return parts_; }

private:
  std::vector<Handle(StepData_UndefinedEntity)> parts_;
};

Handle(Interface_UndefinedContent) Content(const Handle(StepData_UndefinedEntity) & part) {
  return part.IsNull() ? nullptr : part->UndefinedContent();
}

Transient ParamEntity(const Handle(StepData_UndefinedEntity) & part, int index) {
  Handle(Interface_UndefinedContent) c = Content(part);
  if (c.IsNull() || index < 1 || index > c->NbParams() || !c->IsParamEntity(index)) return nullptr;
  return c->ParamEntity(index);
}

/// A parameter's text as OCCT keeps it (a string with its quotes, an enumeration with its dots).
std::string ParamText(const Handle(StepData_UndefinedEntity) & part, int index) {
  Handle(Interface_UndefinedContent) c = Content(part);
  if (c.IsNull() || index < 1 || index > c->NbParams() || c->IsParamEntity(index)) return {};
  Handle(TCollection_HAsciiString) v = c->ParamValue(index);
  return v.IsNull() ? std::string() : std::string(v->ToCString());
}

/// A quoted string parameter without its quotes ('' stands for one quote in the file).
std::string ParamString(const Handle(StepData_UndefinedEntity) & part, int index) {
  const std::string s = ParamText(part, index);
  if (s.size() < 2 || s.front() != '\'' || s.back() != '\'') return {};
  std::string out;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\'' && s[i + 1] == '\'') ++i;
  }
  return out;
}

/// Every entity a parameter names: itself, or those of the list or typed value it holds
/// (OCCT keeps both as sub-records), to a bounded depth.
void CollectEntities(const Transient& value, std::vector<Transient>& out, int depth = 0) {
  Handle(StepData_UndefinedEntity) sub = Handle(StepData_UndefinedEntity)::DownCast(value);
  if (sub.IsNull() || !sub->IsSub()) {
    if (!value.IsNull()) out.push_back(value);
    return;
  }
  if (depth > 4) return;
  Handle(Interface_UndefinedContent) c = sub->UndefinedContent();
  for (int i = 1; !c.IsNull() && i <= c->NbParams(); ++i)
    if (c->IsParamEntity(i)) CollectEntities(c->ParamEntity(i), out, depth + 1);
}

std::vector<Transient> ParamEntities(const Handle(StepData_UndefinedEntity) & part, int index) {
  std::vector<Transient> out;
  CollectEntities(ParamEntity(part, index), out);
  return out;
}

std::string Ascii(const Handle(TCollection_HAsciiString) & s) {
  return s.IsNull() ? std::string() : std::string(s->ToCString());
}

std::string Lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

/// An enumeration value as words: ".MAXIMUM_MATERIAL_REQUIREMENT." → "maximum material requirement".
std::string EnumWords(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '.'), s.end());
  for (char& c : s)
    c = c == '_' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

const char* ToleranceModifierWords(StepDimTol_GeometricToleranceModifier m) {
  switch (m) {
  case StepDimTol_GTMAnyCrossSection:
    return "any cross section";
  case StepDimTol_GTMCommonZone:
    return "common zone";
  case StepDimTol_GTMEachRadialElement:
    return "each radial element";
  case StepDimTol_GTMFreeState:
    return "free state";
  case StepDimTol_GTMLeastMaterialRequirement:
    return "least material requirement";
  case StepDimTol_GTMLineElement:
    return "line element";
  case StepDimTol_GTMMajorDiameter:
    return "major diameter";
  case StepDimTol_GTMMaximumMaterialRequirement:
    return "maximum material requirement";
  case StepDimTol_GTMMinorDiameter:
    return "minor diameter";
  case StepDimTol_GTMNotConvex:
    return "not convex";
  case StepDimTol_GTMPitchDiameter:
    return "pitch diameter";
  case StepDimTol_GTMReciprocityRequirement:
    return "reciprocity requirement";
  case StepDimTol_GTMSeparateRequirement:
    return "separate requirement";
  case StepDimTol_GTMStatisticalTolerance:
    return "statistical tolerance";
  case StepDimTol_GTMTangentPlane:
    return "tangent plane";
  }
  return "modifier";
}

int KindOfType(StepDimTol_GeometricToleranceType t) {
  static const char* const entities[] = {
      "ANGULARITY_TOLERANCE",      "CIRCULAR_RUNOUT_TOLERANCE", "COAXIALITY_TOLERANCE",
      "CONCENTRICITY_TOLERANCE",   "CYLINDRICITY_TOLERANCE",    "FLATNESS_TOLERANCE",
      "LINE_PROFILE_TOLERANCE",    "PARALLELISM_TOLERANCE",     "PERPENDICULARITY_TOLERANCE",
      "POSITION_TOLERANCE",        "ROUNDNESS_TOLERANCE",       "STRAIGHTNESS_TOLERANCE",
      "SURFACE_PROFILE_TOLERANCE", "SYMMETRY_TOLERANCE",        "TOTAL_RUNOUT_TOLERANCE"};
  const int i = static_cast<int>(t);
  return i >= 0 && i < 15 ? KROStepToleranceKindOf(entities[i]) : -1;
}

/// The kind of a typed tolerance from its class name ("StepDimTol_FlatnessTolerance").
int KindOfClass(const Transient& e) {
  for (Handle(Standard_Type) t = e->DynamicType(); !t.IsNull(); t = t->Parent()) {
    std::string name = t->Name();
    if (name.rfind("StepDimTol_", 0) != 0) break;
    name = name.substr(11);
    std::string entity;
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (i > 0 && std::isupper(static_cast<unsigned char>(name[i]))) entity += '_';
      entity += static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    }
    const int kind = KROStepToleranceKindOf(entity);
    if (kind >= 0) return kind;
  }
  return -1;
}

class KROStepFactReader {
public:
  KROStepFactReader(const Handle(XSControl_WorkSession) & ws, const KROStepTagLookup& tagOf,
                    KROStepFileFacts& facts)
      : ws_(ws), tagOf_(tagOf), facts_(facts) {
    model_ = Handle(StepData_StepModel)::DownCast(ws->Model());
    if (!ws->TransferReader().IsNull()) process_ = ws->TransferReader()->TransientProcess();
    if (!model_.IsNull() && model_->LocalLengthUnit() > 0) localUnit_ = model_->LocalLengthUnit();
  }

  void Read() {
    if (model_.IsNull()) return;
    graph_ = &ws_->Graph();
    facts_.documentMm = localUnit_;
    ReadGeometryUnit();
    const int n = model_->NbEntities();
    // Usages OCCT could not type (a set of faces as their item) are not in its graph's sharings:
    // index them by the aspect they name.
    for (int i = 1; i <= n; ++i) {
      const Transient& e = model_->Value(i);
      if (!e->IsKind(STANDARD_TYPE(StepAP242_ItemIdentifiedRepresentationUsage)) ||
          !model_->IsReportEntity(i))
        continue;
      Transient definition;
      std::vector<Transient> items = IdentifiedItems(e, definition);
      if (!definition.IsNull() && !items.empty())
        untypedUsages_[definition.get()].push_back(std::move(items));
    }
    for (int i = 1; i <= n; ++i) {
      const Transient& e = model_->Value(i);
      if (e->IsKind(STANDARD_TYPE(StepShape_DimensionalSize)) ||
          e->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation)))
        ReadDimension(e);
    }
    for (int i = 1; i <= n; ++i) {
      const Transient& e = model_->Value(i);
      if (IsDatumFeature(e) || e->IsKind(STANDARD_TYPE(StepDimTol_DatumTarget)))
        ReadDatumFeature(e);
      else if (auto system = Handle(StepDimTol_DatumSystem)::DownCast(e))
        ReadDatumSystem(system);
    }
    for (int i = 1; i <= n; ++i) {
      const Transient& e = model_->Value(i);
      if (IsTolerance(e)) ReadTolerance(e);
    }
    ReadComposites();
    for (int i = 1; i <= n; ++i)
      if (auto camera = Handle(StepVisual_CameraModelD3)::DownCast(model_->Value(i)))
        ReadCamera(camera);
    ReadNotes();
    if (!pmiUnitSeen_) {
      facts_.units.pmiName = facts_.units.geometryName;
      facts_.units.pmiMm = facts_.units.geometryMm;
    }
    facts_.read = true;
  }

private:
  int Id(const Transient& e) const { return e.IsNull() ? 0 : model_->IdentLabel(e); }

  /// A datum feature, also as part of a complex instance (a composite aspect that is one).
  bool IsDatumFeature(const Transient& e) const {
    if (e.IsNull()) return false;
    if (e->IsKind(STANDARD_TYPE(StepDimTol_DatumFeature)) ||
        std::strstr(e->DynamicType()->Name(), "DatumFeat") != nullptr)
      return true;
    return IsRecordOf(e, "DATUM_FEATURE");
  }

  bool IsRecordOf(const Transient& e, const char* type) const {
    if (!e->IsKind(STANDARD_TYPE(StepData_UndefinedEntity))) return false;
    return KROStepRecord(model_, e).Has(type);
  }

  void Skip(const Transient& e, const std::string& why) {
    facts_.messages.push_back({KROStepMessage::Severity::Warning,
                               "file entity #" + std::to_string(Id(e)) + " skipped: " + why});
  }

  void Warn(const std::string& text) {
    facts_.messages.push_back({KROStepMessage::Severity::Warning, text});
  }

  /// OCCT's first failure on the entity, or empty.
  std::string CheckOf(const Transient& e) const {
    const int n = model_->Number(e);
    if (n <= 0 || !model_->IsErrorEntity(n) || !model_->IsReportEntity(n)) return {};
    Handle(Interface_ReportEntity) report = model_->ReportEntity(n);
    if (report.IsNull() || report->Check().IsNull() || report->Check()->NbFails() == 0) return {};
    return report->Check()->CFail(1);
  }

  // ---- units ----------------------------------------------------------------------------------

  static std::string UnitName(double mm) {
    const std::pair<double, const char*> names[] = {
        {1, "millimetre"}, {25.4, "inch"},        {10, "centimetre"}, {1000, "metre"},
        {304.8, "foot"},   {0.001, "micrometre"}, {1e6, "kilometre"}};
    for (const auto& [k, name] : names)
      if (std::fabs(mm - k) <= 1e-9 * k) return name;
    return "unit of " + std::to_string(mm) + " mm";
  }

  void ReadGeometryUnit() {
    for (int i = 1; i <= model_->NbEntities(); ++i) {
      const Transient& e = model_->Value(i);
      Handle(StepRepr_GlobalUnitAssignedContext) units =
          Handle(StepRepr_GlobalUnitAssignedContext)::DownCast(e);
      if (auto c =
              Handle(StepGeom_GeomRepContextAndGlobUnitAssCtxAndGlobUncertaintyAssCtx)::DownCast(e))
        units = c->GlobalUnitAssignedContext();
      if (units.IsNull()) continue;
      STEPConstruct_UnitContext unit;
      if (unit.ComputeFactors(units) != 0 || !(unit.LengthFactor() > 0)) continue;
      facts_.units.geometryMm = unit.LengthFactor();
      facts_.units.geometryName = UnitName(unit.LengthFactor());
      return;
    }
  }

  /// The measure of a measure item, whatever form the file gives it.
  static Handle(StepBasic_MeasureWithUnit) MeasureOf(const Transient& e) {
    if (auto m = Handle(StepBasic_MeasureWithUnit)::DownCast(e)) return m;
    if (auto m = Handle(StepRepr_ReprItemAndMeasureWithUnit)::DownCast(e))
      return m->GetMeasureWithUnit();
    if (auto m = Handle(StepRepr_MeasureRepresentationItem)::DownCast(e)) return m->Measure();
    return nullptr;
  }

  /// A length or angle the file states, in the file's PMI unit (degrees for angles).
  std::optional<double> Value(const Transient& e) {
    Handle(StepBasic_MeasureWithUnit) m = MeasureOf(e);
    if (m.IsNull() || m->ValueComponentMember().IsNull()) return std::nullopt;
    const double value = m->ValueComponent();
    if (!std::isfinite(value)) return std::nullopt;
    Handle(StepBasic_NamedUnit) unit = m->UnitComponent().NamedUnit();
    if (unit.IsNull()) return value;
    STEPConstruct_UnitContext context;
    if (context.ComputeFactors(unit) != 0) return value;
    const std::string member = Lower(m->ValueComponentMember()->Name());
    if (member.find("angle") != std::string::npos) {
      double degrees = context.PlaneAngleFactor() * 180.0 / M_PI;
      // A degree the file defines with a rounded π/180 (0.0174532925199) is a degree: 90 stays
      // 90, not 89.99999999977675.
      if (std::abs(degrees - 1) < 1e-9) degrees = 1;
      return degrees > 0 && std::isfinite(degrees) ? value * degrees : value;
    }
    const double mm = context.LengthFactor();
    if (!(mm > 0) || !std::isfinite(mm)) return value;
    if (!pmiUnitSeen_) {
      pmiUnitSeen_ = true;
      facts_.units.pmiMm = mm;
      facts_.units.pmiName = UnitName(mm);
    }
    return value * mm / facts_.units.pmiMm;
  }

  static bool IsAngle(const Transient& e) {
    Handle(StepBasic_MeasureWithUnit) m = MeasureOf(e);
    return !m.IsNull() && !m->ValueComponentMember().IsNull() &&
           Lower(m->ValueComponentMember()->Name()).find("angle") != std::string::npos;
  }

  /// The decimals a value format qualifier asks for ("NR2 1.3" → 3), or -1.
  static int DecimalsOf(const Transient& e, std::string* limit = nullptr) {
    Handle(StepShape_QualifiedRepresentationItem) q;
    if (auto c = Handle(StepRepr_ReprItemAndMeasureWithUnitAndQRI)::DownCast(e))
      q = c->GetQualifiedRepresentationItem();
    else
      q = Handle(StepShape_QualifiedRepresentationItem)::DownCast(e);
    if (q.IsNull() || q->Qualifiers().IsNull()) return -1;
    int decimals = -1;
    for (int i = 1; i <= q->NbQualifiers(); ++i) {
      const StepShape_ValueQualifier v = q->QualifiersValue(i);
      if (auto f = v.ValueFormatTypeQualifier()) {
        const std::string format = Ascii(f->FormatType());
        const std::size_t dot = format.find('.');
        if (format.rfind("NR2", 0) == 0 && dot != std::string::npos)
          decimals = std::atoi(format.c_str() + dot + 1);
      } else if (auto t = v.TypeQualifier(); !t.IsNull() && limit) {
        const std::string name = Lower(Ascii(t->Name()));
        if (name == "maximum") *limit = "MAX";
        if (name == "minimum") *limit = "MIN";
      }
    }
    return decimals;
  }

  // ---- faces ----------------------------------------------------------------------------------

  void AddShapesOf(const Transient& item, std::vector<TopoDS_Shape>& out) const {
    if (process_.IsNull() || out.size() >= kMaxShapes) return;
    TopoDS_Shape shape = TransferBRep::ShapeResult(process_, item);
    if (shape.IsNull()) return;
    TopTools_IndexedMapOfShape pieces;
    KROStepFacesOrEdges(shape, pieces);
    for (int i = 1; i <= pieces.Extent() && out.size() < kMaxShapes; ++i)
      out.push_back(pieces(i));
  }

  void AddShapesOfRepresentation(const Handle(StepRepr_Representation) & rep,
                                 std::vector<TopoDS_Shape>& out) const {
    if (rep.IsNull()) return;
    std::vector<TopoDS_Shape> shapes;
    AddShapesOf(rep, shapes);
    if (shapes.empty()) {
      for (Interface_EntityIterator it = graph_->Sharings(rep); it.More(); it.Next()) {
        auto rel = Handle(StepRepr_ShapeRepresentationRelationship)::DownCast(it.Value());
        if (!rel.IsNull()) AddShapesOf(rel->Rep1() == rep ? rel->Rep2() : rel->Rep1(), shapes);
      }
    }
    const bool faces = std::any_of(shapes.begin(), shapes.end(), [](const TopoDS_Shape& s) {
      return s.ShapeType() == TopAbs_FACE;
    });
    for (const TopoDS_Shape& s : shapes)
      if (!faces || s.ShapeType() == TopAbs_FACE) out.push_back(s);
  }

  /// The items a usage identifies: typed, or as OCCT kept the record it could not type (a set
  /// of faces given as a typed parameter is such a record).
  std::vector<Transient> IdentifiedItems(const Transient& usage, Transient& definition) const {
    std::vector<Transient> items;
    auto typed = Handle(StepAP242_ItemIdentifiedRepresentationUsage)::DownCast(usage);
    if (!typed.IsNull() && !typed->IdentifiedItem().IsNull()) {
      definition = typed->Definition().Value();
      for (int i = 1; i <= typed->NbIdentifiedItem(); ++i)
        if (!typed->IdentifiedItemValue(i).IsNull()) items.push_back(typed->IdentifiedItemValue(i));
      if (!items.empty()) return items;
    }
    const KROStepRecord record(model_, usage);
    for (const auto& part : record.Parts()) {
      const std::string type = part->StepType();
      if (type != "ITEM_IDENTIFIED_REPRESENTATION_USAGE" && type != "GEOMETRIC_ITEM_SPECIFIC_USAGE")
        continue;
      definition = ParamEntity(part, 3);
      items = ParamEntities(part, 5);
      break;
    }
    return items;
  }

  /// The faces and edges a shape aspect (or a dimension, or a product shape) stands for: the
  /// items its usages identify, and those of the aspects it is composed of.
  void ShapesOf(const Transient& aspect, std::vector<TopoDS_Shape>& out, int depth,
                std::set<const Standard_Transient*>& visited) const {
    if (aspect.IsNull() || depth > kMaxDepth || !visited.insert(aspect.get()).second) return;
    if (auto size = Handle(StepShape_DimensionalSize)::DownCast(aspect)) {
      ShapesOf(size->AppliesTo(), out, depth + 1, visited);
      return;
    }
    if (auto location = Handle(StepShape_DimensionalLocation)::DownCast(aspect)) {
      ShapesOf(location->RelatingShapeAspect(), out, depth + 1, visited);
      ShapesOf(location->RelatedShapeAspect(), out, depth + 1, visited);
      return;
    }
    if (aspect->IsKind(STANDARD_TYPE(StepRepr_ProductDefinitionShape))) {
      for (Interface_EntityIterator it = graph_->Sharings(aspect); it.More(); it.Next())
        if (auto sdr = Handle(StepShape_ShapeDefinitionRepresentation)::DownCast(it.Value()))
          AddShapesOfRepresentation(sdr->UsedRepresentation(), out);
      return;
    }
    if (auto it = untypedUsages_.find(aspect.get()); it != untypedUsages_.end())
      for (const std::vector<Transient>& items : it->second)
        for (const Transient& item : items)
          AddShapesOf(item, out);
    for (Interface_EntityIterator it = graph_->Sharings(aspect); it.More(); it.Next()) {
      const Transient& user = it.Value();
      if (user->IsKind(STANDARD_TYPE(StepAP242_ItemIdentifiedRepresentationUsage)) ||
          IsRecordOf(user, "ITEM_IDENTIFIED_REPRESENTATION_USAGE")) {
        Transient definition;
        const std::vector<Transient> items = IdentifiedItems(user, definition);
        if (definition != aspect) continue;
        for (const Transient& item : items)
          AddShapesOf(item, out);
      } else if (auto rel = Handle(StepRepr_ShapeAspectRelationship)::DownCast(user)) {
        // A composite aspect relates to each of its components, a datum feature to its datum.
        if (rel->RelatingShapeAspect() == aspect &&
            !rel->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation)))
          ShapesOf(rel->RelatedShapeAspect(), out, depth + 1, visited);
      }
    }
  }

  std::vector<int> Tags(const Transient& aspect) const {
    std::vector<TopoDS_Shape> shapes;
    std::set<const Standard_Transient*> visited;
    ShapesOf(aspect, shapes, 0, visited);
    std::vector<int> tags;
    for (const TopoDS_Shape& s : shapes)
      if (const int tag = tagOf_(s).second; tag > 0) tags.push_back(tag);
    std::sort(tags.begin(), tags.end());
    tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
    return tags;
  }

  /// The aspects an aspect is composed of (the members of a pattern, say).
  std::vector<Transient> Components(const Transient& aspect) const {
    std::vector<Transient> out;
    for (Interface_EntityIterator it = graph_->Sharings(aspect); it.More(); it.Next()) {
      auto rel = Handle(StepRepr_ShapeAspectRelationship)::DownCast(it.Value());
      if (rel.IsNull() || rel->RelatingShapeAspect() != aspect ||
          rel->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation)) ||
          rel->RelatedShapeAspect().IsNull() ||
          rel->RelatedShapeAspect()->IsKind(STANDARD_TYPE(StepDimTol_Datum)))
        continue;
      if (std::find(out.begin(), out.end(), rel->RelatedShapeAspect()) == out.end())
        out.push_back(rel->RelatedShapeAspect());
    }
    return out;
  }

  // ---- dimensions -----------------------------------------------------------------------------

  void ReadDimension(const Transient& e) {
    KROStepFileDimension d;
    d.entity = Id(e);
    Transient applies;
    if (auto size = Handle(StepShape_DimensionalSize)::DownCast(e)) {
      d.type = Lower(Ascii(size->Name()));
      applies = size->AppliesTo();
      if (!applies.IsNull()) d.aspects.push_back(Id(applies));
    } else if (auto loc = Handle(StepShape_DimensionalLocation)::DownCast(e)) {
      d.location = true;
      d.type = Lower(Ascii(loc->Name()));
      d.name = Ascii(loc->Description());
      for (const Transient& a :
           {Transient(loc->RelatingShapeAspect()), Transient(loc->RelatedShapeAspect())})
        if (!a.IsNull()) d.aspects.push_back(Id(a));
    }
    d.angular = e->DynamicType()->Name() == std::string("StepShape_AngularSize") ||
                e->DynamicType()->Name() == std::string("StepShape_AngularLocation") ||
                d.type.find("angular") != std::string::npos;
    d.tags = Tags(e);
    // How many features it applies to: the members of a pattern, or the faces of a group of
    // like elements.
    if (auto aspect = Handle(StepRepr_ShapeAspect)::DownCast(applies)) {
      const std::string what = Lower(Ascii(aspect->Description()));
      if (what == "pattern of features") {
        d.count = static_cast<int>(Components(aspect).size());
      } else if (what == "multiple elements") {
        int faces = 0;
        for (int tag : d.tags)
          faces += tagIsFace_(tag) ? 1 : 0;
        d.count = faces;
      }
      if (d.count < 2) d.count = 0;
    }
    for (Interface_EntityIterator it = graph_->Sharings(e); it.More(); it.Next()) {
      const Transient& user = it.Value();
      if (auto dcr = Handle(StepShape_DimensionalCharacteristicRepresentation)::DownCast(user)) {
        if (dcr->Dimension().Value() == e) ReadDimensionValues(dcr->Representation(), d);
      } else if (auto pm = Handle(StepShape_PlusMinusTolerance)::DownCast(user)) {
        if (pm->TolerancedDimension().Value() != e) continue;
        const StepShape_ToleranceMethodDefinition range = pm->Range();
        if (auto tv = range.ToleranceValue()) {
          std::string ignored;
          if (auto v = Value(tv->UpperBound())) {
            d.upper = v;
            d.upperDecimals = DecimalsOf(tv->UpperBound(), &ignored);
          }
          if (auto v = Value(tv->LowerBound())) {
            d.lower = v;
            d.lowerDecimals = DecimalsOf(tv->LowerBound(), &ignored);
          }
          d.angular = d.angular || IsAngle(tv->UpperBound());
        } else if (auto fit = range.LimitsAndFits()) {
          // "H7": whichever of its variances the file fills, then the grade.
          d.fitClass =
              Ascii(fit->FormVariance()) + Ascii(fit->ZoneVariance()) + Ascii(fit->Grade());
        }
      }
    }
    dimensionOfEntity_[d.entity] = static_cast<int>(facts_.dimensions.size());
    facts_.dimensions.push_back(std::move(d));
  }

  void ReadDimensionValues(const Handle(StepRepr_Representation) & rep, KROStepFileDimension& d) {
    if (rep.IsNull() || rep->Items().IsNull()) return;
    for (int i = 1; i <= rep->NbItems(); ++i) {
      Handle(StepRepr_RepresentationItem) item = rep->ItemsValue(i);
      if (item.IsNull()) continue;
      const std::string name = Lower(Ascii(item->Name()));
      if (auto compound = Handle(StepRepr_CompoundRepresentationItem)::DownCast(item)) {
        // 'dimensional note' modifiers, or a value range holding the limits. OCCT reads the
        // set of items as a typed parameter it cannot type: its report keeps the record.
        std::vector<Transient> subs;
        for (int k = 1; !compound->ItemElement().IsNull() && k <= compound->NbItemElement(); ++k)
          if (!compound->ItemElementValue(k).IsNull())
            subs.push_back(compound->ItemElementValue(k));
        if (subs.empty())
          subs = ParamEntities(KROStepRecord(model_, item).Part("COMPOUND_REPRESENTATION_ITEM"), 2);
        if (subs.empty()) subs = ParamEntities(KROStepRecord(model_, item).Part("VALUE_RANGE"), 2);
        for (const Transient& sub : subs) {
          if (auto note = Handle(StepRepr_DescriptiveRepresentationItem)::DownCast(sub))
            d.modifiers.push_back(Lower(Ascii(note->Description())));
          else if (auto subItem = Handle(StepRepr_RepresentationItem)::DownCast(sub))
            ReadDimensionItem(subItem, Lower(Ascii(subItem->Name())), d);
        }
        continue;
      }
      if (auto note = Handle(StepRepr_DescriptiveRepresentationItem)::DownCast(item)) {
        if (name == "dimensional note") d.modifiers.push_back(Lower(Ascii(note->Description())));
        continue;
      }
      ReadDimensionItem(item, name, d);
    }
  }

  void ReadDimensionItem(const Transient& item, const std::string& name, KROStepFileDimension& d) {
    const std::optional<double> v = Value(item);
    if (!v) return;
    if (IsAngle(item)) d.angular = true;
    std::string limit;
    const int decimals = DecimalsOf(item, &limit);
    if (!limit.empty()) d.limit = limit;
    if (name == "upper limit") {
      d.upperLimit = v;
    } else if (name == "lower limit") {
      d.lowerLimit = v;
    } else if (name == "nominal value" || !d.nominal) {
      d.nominal = v;
    }
    if (decimals >= 0 && d.decimals < 0) d.decimals = decimals;
  }

  // ---- datum features and systems -------------------------------------------------------------

  /// The datum a datum feature or target establishes: related to it by a shape aspect
  /// relationship.
  std::string LetterOf(const Transient& feature) const {
    for (Interface_EntityIterator it = graph_->Sharings(feature); it.More(); it.Next()) {
      auto rel = Handle(StepRepr_ShapeAspectRelationship)::DownCast(it.Value());
      if (rel.IsNull() || rel->RelatingShapeAspect() != feature) continue;
      if (auto datum = Handle(StepDimTol_Datum)::DownCast(rel->RelatedShapeAspect()))
        return Ascii(datum->Identification());
    }
    return {};
  }

  void ReadDatumFeature(const Transient& e) {
    KROStepFileDatumFeature f;
    f.entity = Id(e);
    if (auto aspect = Handle(StepRepr_ShapeAspect)::DownCast(e)) f.name = Ascii(aspect->Name());
    f.letter = LetterOf(e);
    if (auto target = Handle(StepDimTol_DatumTarget)::DownCast(e)) {
      f.target = true;
      f.targetId = Ascii(target->TargetId());
      f.targetKind = Lower(Ascii(target->Description()));
      ReadTargetShape(e, f);
    }
    if (f.letter.empty()) return Skip(e, "datum feature related to no datum");
    f.tags = Tags(e);
    facts_.datumFeatures.push_back(std::move(f));
  }

  /// A target's size: the parameters of its shape representation ('target diameter',
  /// 'target length', 'target width').
  void ReadTargetShape(const Transient& target, KROStepFileDatumFeature& f) {
    for (Interface_EntityIterator it = graph_->Sharings(target); it.More(); it.Next()) {
      auto property = Handle(StepRepr_PropertyDefinition)::DownCast(it.Value());
      if (property.IsNull()) continue;
      for (Interface_EntityIterator p = graph_->Sharings(property); p.More(); p.Next()) {
        auto pdr = Handle(StepRepr_PropertyDefinitionRepresentation)::DownCast(p.Value());
        if (pdr.IsNull() || pdr->UsedRepresentation().IsNull()) continue;
        Handle(StepRepr_Representation) rep = pdr->UsedRepresentation();
        for (int i = 1; !rep->Items().IsNull() && i <= rep->NbItems(); ++i) {
          Handle(StepRepr_RepresentationItem) item = rep->ItemsValue(i);
          if (item.IsNull()) continue;
          const std::string name = Lower(Ascii(item->Name()));
          const std::optional<double> v = Value(item);
          if (!v) continue;
          if (name == "target diameter" || name == "target length") f.targetSize = v;
          if (name == "target width") f.targetSecondSize = v;
        }
      }
    }
    if (f.targetKind.find("movable") != std::string::npos) f.movable = true;
  }

  std::vector<std::string> DatumModifiers(const Handle(StepDimTol_GeneralDatumReference) & r) {
    std::vector<std::string> out;
    if (r.IsNull() || !r->HasModifiers()) return out;
    for (int i = 1; i <= r->NbModifiers(); ++i) {
      const StepDimTol_DatumReferenceModifier m = r->ModifiersValue(i);
      if (auto simple = m.SimpleDatumReferenceModifierMember())
        out.push_back(EnumWords(simple->EnumText()));
      else if (auto valued = m.DatumReferenceModifierWithValue())
        out.push_back("modifier with value");
    }
    return out;
  }

  KROStepFileCompartment Compartment(const Handle(StepDimTol_GeneralDatumReference) & c) {
    KROStepFileCompartment out;
    if (c.IsNull()) return out;
    const StepDimTol_DatumOrCommonDatum base = c->Base();
    if (!base.Datum().IsNull()) {
      out.members.push_back({Ascii(base.Datum()->Identification()), {}});
    } else if (auto common = base.CommonDatumList()) {
      for (int k = 1; k <= common->Length(); ++k) {
        Handle(StepDimTol_DatumReferenceElement) el = common->Value(k);
        if (el.IsNull() || el->Base().Datum().IsNull()) continue;
        out.members.push_back({Ascii(el->Base().Datum()->Identification()), DatumModifiers(el)});
      }
    }
    std::vector<std::string> modifiers = DatumModifiers(c);
    if (out.members.size() == 1)
      out.members.front().modifiers = std::move(modifiers);
    else
      out.modifiers = std::move(modifiers);
    return out;
  }

  void ReadDatumSystem(const Handle(StepDimTol_DatumSystem) & s) {
    KROStepFileDatumSystem system;
    system.entity = Id(s);
    for (int i = 1; !s->Constituents().IsNull() && i <= s->NbConstituents(); ++i)
      system.compartments.push_back(Compartment(s->ConstituentsValue(i)));
    systemOfEntity_[system.entity] = static_cast<int>(facts_.datumSystems.size());
    facts_.datumSystems.push_back(std::move(system));
  }

  std::vector<KROStepFileCompartment> DatumsOf(const Transient& system) {
    if (auto s = Handle(StepDimTol_DatumSystem)::DownCast(system)) {
      auto it = systemOfEntity_.find(Id(s));
      if (it != systemOfEntity_.end())
        return facts_.datumSystems[static_cast<std::size_t>(it->second)].compartments;
    }
    std::vector<KROStepFileCompartment> out;
    if (auto r = Handle(StepDimTol_DatumReference)::DownCast(system)) {
      if (!r->ReferencedDatum().IsNull())
        out.push_back({{{Ascii(r->ReferencedDatum()->Identification()), {}}}, {}});
    }
    return out;
  }

  // ---- tolerances -----------------------------------------------------------------------------

  bool IsTolerance(const Transient& e) const {
    if (e->IsKind(STANDARD_TYPE(StepDimTol_GeometricTolerance))) return true;
    if (!e->IsKind(STANDARD_TYPE(StepData_UndefinedEntity))) return false;
    return KROStepRecord(model_, e).Has("GEOMETRIC_TOLERANCE");
  }

  void AddModifiers(const Handle(StepDimTol_GeometricToleranceWithModifiers) & m,
                    KROStepFileTolerance& t) {
    if (m.IsNull() || m->Modifiers().IsNull()) return;
    for (int i = 1; i <= m->NbModifiers(); ++i)
      t.modifiers.push_back(ToleranceModifierWords(m->ModifierValue(i)));
  }

  void ReadTolerance(const Transient& e) {
    KROStepFileTolerance t;
    t.entity = Id(e);
    t.problem = CheckOf(e);
    const KROStepRecord record(model_, e);
    Transient magnitude, target;
    std::vector<Transient> systems;
    if (auto typed = Handle(StepDimTol_GeometricTolerance)::DownCast(e)) {
      t.name = Ascii(typed->Name());
      magnitude = typed->Magnitude();
      target = typed->TolerancedShapeAspect().Value();
      t.kind = KindOfClass(e);
      Handle(StepDimTol_GeometricToleranceWithDatumReference) withDatums =
          Handle(StepDimTol_GeometricToleranceWithDatumReference)::DownCast(e);
      Handle(StepDimTol_GeometricToleranceWithModifiers) withModifiers =
          Handle(StepDimTol_GeometricToleranceWithModifiers)::DownCast(e);
      Handle(StepBasic_LengthMeasureWithUnit) maximum;
      if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRef)::DownCast(e)) {
        withDatums = c->GetGeometricToleranceWithDatumReference();
        t.kind = KindOfType(c->GetToleranceType());
        if (auto u = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndUneqDisGeoTol)::DownCast(e))
          if (auto d = u->GetUnequallyDisposedGeometricTolerance())
            t.unequal = Value(d->Displacement());
      } else if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod)::DownCast(e)) {
        withDatums = c->GetGeometricToleranceWithDatumReference();
        withModifiers = c->GetGeometricToleranceWithModifiers();
        t.kind = KindOfType(c->GetToleranceType());
        if (auto m = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMaxTol)::DownCast(e))
          maximum = m->GetMaxTolerance();
      } else if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthMod)::DownCast(e)) {
        withModifiers = c->GetGeometricToleranceWithModifiers();
        t.kind = KindOfType(c->GetToleranceType());
        if (auto m = Handle(StepDimTol_GeoTolAndGeoTolWthMaxTol)::DownCast(e))
          maximum = m->GetMaxTolerance();
      } else if (Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndModGeoTolAndPosTol)::DownCast(e)) {
        t.kind = KROStepToleranceKindOf("POSITION_TOLERANCE");
      }
      if (auto m = Handle(StepDimTol_GeometricToleranceWithMaximumTolerance)::DownCast(e))
        maximum = m->MaximumUpperTolerance();
      if (auto u = Handle(StepDimTol_UnequallyDisposedGeometricTolerance)::DownCast(e))
        t.unequal = Value(u->Displacement());
      if (auto unit = Handle(StepDimTol_GeometricToleranceWithDefinedUnit)::DownCast(e)) {
        t.unitLength = Value(unit->UnitSize());
        if (auto area = Handle(StepDimTol_GeometricToleranceWithDefinedAreaUnit)::DownCast(e)) {
          t.unitArea = area->AreaType() == StepDimTol_Circular      ? "circular"
                       : area->AreaType() == StepDimTol_Rectangular ? "rectangular"
                                                                    : "square";
          if (area->HasSecondUnitSize()) t.unitSecondLength = Value(area->SecondUnitSize());
        }
      }
      if (!maximum.IsNull()) t.maxValue = Value(maximum);
      AddModifiers(withModifiers, t);
      if (auto modified = Handle(StepDimTol_ModifiedGeometricTolerance)::DownCast(e))
        t.modifiers.push_back(modified->Modifier() == StepDimTol_MaximumMaterialCondition
                                  ? "maximum material requirement"
                              : modified->Modifier() == StepDimTol_LeastMaterialCondition
                                  ? "least material requirement"
                                  : "regardless of feature size");
      // OCCT keeps one array; its older accessor DatumSystem() converts that array without
      // a check and crashes when the file gave none, so only the array itself is read.
      if (!withDatums.IsNull())
        if (auto list = withDatums->DatumSystemAP242())
          for (int i = 1; i <= list->Length(); ++i)
            systems.push_back(list->Value(i).Value());
    }
    if (!record.Empty()) ReadToleranceRecord(record, t, magnitude, target, systems);
    if (!magnitude.IsNull()) {
      t.value = Value(magnitude);
      if (!t.value) {
        Skip(magnitude, "the magnitude of tolerance #" + std::to_string(t.entity) +
                            " is not a length measure");
        t.magnitudeProblem.clear();
      }
    }
    if (target.IsNull()) {
      Skip(e, "tolerance without a toleranced shape aspect");
    } else {
      t.aspects.push_back(Id(target));
      t.tags = Tags(target);
      t.datumFeature = DatumFeatureLetter(target);
      t.dimension = ControlledDimension(target);
    }
    for (const Transient& s : systems) {
      if (s.IsNull()) continue; // a reference OCCT could not resolve
      if (t.datumSystem == 0 && s->IsKind(STANDARD_TYPE(StepDimTol_DatumSystem)))
        t.datumSystem = Id(s);
      for (KROStepFileCompartment& c : DatumsOf(s))
        t.datums.push_back(std::move(c));
    }
    ReadZone(e, t);
    if (const char* all = AllAroundOrOver(target)) t.modifiers.insert(t.modifiers.begin(), all);
    toleranceOfEntity_[t.entity] = static_cast<int>(facts_.tolerances.size());
    facts_.tolerances.push_back(std::move(t));
  }

  /// Where OCCT rejected a parameter, or could not type the complex instance, its report still
  /// holds the record as parsed.
  void ReadToleranceRecord(const KROStepRecord& record, KROStepFileTolerance& t,
                           Transient& magnitude, Transient& target,
                           std::vector<Transient>& systems) {
    Handle(StepData_UndefinedEntity) base = record.Part("GEOMETRIC_TOLERANCE");
    Handle(StepData_UndefinedEntity) simple;
    for (const auto& p : record.Parts()) {
      const int kind = KROStepToleranceKindOf(p->StepType());
      if (kind >= 0) {
        if (t.kind < 0) t.kind = kind;
        simple = p;
      }
    }
    if (base.IsNull()) base = simple;
    if (t.name.empty()) t.name = ParamString(base, 1);
    if (magnitude.IsNull()) {
      magnitude = ParamEntity(base, 3);
      if (!magnitude.IsNull()) t.magnitudeProblem = t.problem;
    }
    if (target.IsNull()) target = ParamEntity(base, 4);
    if (systems.empty()) {
      systems = ParamEntities(record.Part("GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE"), 1);
      // A simple tolerance with datums lists them after the four of its super type.
      if (systems.empty() && simple == base) systems = ParamEntities(simple, 5);
    }
    if (t.modifiers.empty()) {
      Handle(StepData_UndefinedEntity) mods = record.Part("GEOMETRIC_TOLERANCE_WITH_MODIFIERS");
      if (auto list = Handle(StepData_UndefinedEntity)::DownCast(ParamEntity(mods, 1))) {
        Handle(Interface_UndefinedContent) c = list->UndefinedContent();
        for (int i = 1; !c.IsNull() && i <= c->NbParams(); ++i)
          if (!c->IsParamEntity(i)) t.modifiers.push_back(EnumWords(c->ParamValue(i)->ToCString()));
      }
    }
    if (!t.unitLength) {
      if (auto unit = record.Part("GEOMETRIC_TOLERANCE_WITH_DEFINED_UNIT"))
        t.unitLength = Value(ParamEntity(unit, 1));
      if (auto area = record.Part("GEOMETRIC_TOLERANCE_WITH_DEFINED_AREA_UNIT")) {
        t.unitArea = EnumWords(ParamText(area, 1));
        if (auto second = ParamEntity(area, 2)) t.unitSecondLength = Value(second);
      }
    }
    if (!t.maxValue)
      if (auto max = record.Part("GEOMETRIC_TOLERANCE_WITH_MAXIMUM_TOLERANCE"))
        t.maxValue = Value(ParamEntity(max, 1));
    if (!t.unequal)
      if (auto u = record.Part("UNEQUALLY_DISPOSED_GEOMETRIC_TOLERANCE"))
        t.unequal = Value(ParamEntity(u, 1));
  }

  /// "all around" for a tolerance on an all-around aspect, "all over" for one on an
  /// all-over aspect or on the whole product shape; else null.
  const char* AllAroundOrOver(const Transient& target) const {
    if (target.IsNull()) return nullptr;
    const std::string name = target->DynamicType()->Name();
    if (name.find("AllAroundShapeAspect") != std::string::npos ||
        IsRecordOf(target, "ALL_AROUND_SHAPE_ASPECT"))
      return "all around";
    if (target->IsKind(STANDARD_TYPE(StepRepr_ProductDefinitionShape))) return "all over";
    if (auto aspect = Handle(StepRepr_ShapeAspect)::DownCast(target))
      if (Lower(Ascii(aspect->Description())) == "all over") return "all over";
    return nullptr;
  }

  /// The zone's form (a cylindrical zone gives "⌀", a spherical one "S⌀") and a projected
  /// zone's length, from the tolerance zone that names the tolerance.
  void ReadZone(const Transient& tolerance, KROStepFileTolerance& t) {
    for (Interface_EntityIterator it = graph_->Sharings(tolerance); it.More(); it.Next()) {
      auto zone = Handle(StepDimTol_ToleranceZone)::DownCast(it.Value());
      if (zone.IsNull()) continue;
      if (!zone->Form().IsNull()) {
        const std::string form = Lower(Ascii(zone->Form()->Name()));
        if (form == "cylindrical or circular" || form == "within a circle" ||
            form == "within a cylinder")
          t.zone = "⌀";
        else if (form == "spherical" || form == "within a sphere")
          t.zone = "S⌀";
      }
      for (Interface_EntityIterator z = graph_->Sharings(zone); z.More(); z.Next()) {
        auto projected = Handle(StepDimTol_ProjectedZoneDefinition)::DownCast(z.Value());
        if (projected.IsNull()) continue;
        t.projected = true;
        if (!projected->ProjectionLength().IsNull())
          t.projectedLength = Value(projected->ProjectionLength());
      }
    }
  }

  /// The letter of the datum feature the tolerance is applied to: its toleranced aspect is the
  /// feature itself.
  std::string DatumFeatureLetter(const Transient& target) const {
    if (target.IsNull()) return {};
    if (IsDatumFeature(target)) return LetterOf(target);
    // An aspect of its own on exactly the faces of a datum feature is that feature.
    const std::vector<int> tags = Tags(target);
    if (tags.empty()) return {};
    for (const KROStepFileDatumFeature& f : facts_.datumFeatures)
      if (!f.target && f.tags == tags) return f.letter;
    return {};
  }

  /// The size dimension of the feature the tolerance controls: one applying to its aspect. Of
  /// several, the first the file lists (the one agreeing with the tolerance is chosen later).
  int ControlledDimension(const Transient& target) const {
    const int id = Id(target);
    for (std::size_t i = 0; i < facts_.dimensions.size(); ++i) {
      const KROStepFileDimension& d = facts_.dimensions[i];
      if (!d.location && !d.aspects.empty() && d.aspects.front() == id) return static_cast<int>(i);
    }
    return -1;
  }

  /// Composite frames: the related tolerance of a 'composite' relationship is the lower segment.
  void ReadComposites() {
    for (int i = 1; i <= model_->NbEntities(); ++i) {
      auto rel = Handle(StepDimTol_GeometricToleranceRelationship)::DownCast(model_->Value(i));
      if (rel.IsNull() || Lower(Ascii(rel->Name())) != "composite") continue;
      auto lower = toleranceOfEntity_.find(Id(rel->RelatedGeometricTolerance()));
      if (lower == toleranceOfEntity_.end()) continue;
      KROStepFileTolerance& t = facts_.tolerances[static_cast<std::size_t>(lower->second)];
      t.lowerSegment = true;
      t.upperSegment = Id(rel->RelatingGeometricTolerance());
    }
    // Of several size dimensions on a feature, the one whose modifiers agree with the
    // tolerance's (a statistical tolerance with a statistical dimension).
    for (KROStepFileTolerance& t : facts_.tolerances) {
      if (t.dimension < 0 || t.aspects.empty()) continue;
      const bool statistical = std::find(t.modifiers.begin(), t.modifiers.end(),
                                         "statistical tolerance") != t.modifiers.end();
      for (std::size_t i = 0; i < facts_.dimensions.size(); ++i) {
        const KROStepFileDimension& d = facts_.dimensions[i];
        if (d.location || d.aspects.empty() || d.aspects.front() != t.aspects.front()) continue;
        const bool st =
            std::find(d.modifiers.begin(), d.modifiers.end(), "statistical") != d.modifiers.end();
        if (st == statistical) {
          t.dimension = static_cast<int>(i);
          break;
        }
      }
    }
  }

  // ---- saved views ----------------------------------------------------------------------------

  static KROStepVec Vec(const gp_XYZ& v) { return {v.X(), v.Y(), v.Z()}; }

  static std::optional<gp_XYZ> Coordinates(const Handle(TColStd_HArray1OfReal) & c) {
    if (c.IsNull() || c->Length() < 3) return std::nullopt;
    const gp_XYZ v(c->Value(c->Lower()), c->Value(c->Lower() + 1), c->Value(c->Lower() + 2));
    if (!std::isfinite(v.X()) || !std::isfinite(v.Y()) || !std::isfinite(v.Z()))
      return std::nullopt;
    return v;
  }

  double ContextFactor(const Transient& context) const {
    const double factor = KROStepContextLengthFactor(context);
    return factor > 0 ? factor / localUnit_ : 1;
  }

  void ReadCamera(const Handle(StepVisual_CameraModelD3) & camera) {
    KROStepFileCamera c;
    c.entity = Id(camera);
    c.name = Ascii(camera->Name());
    c.problem = CheckOf(camera);
    Handle(StepGeom_Axis2Placement3d) placement = camera->ViewReferenceSystem();
    Handle(StepVisual_ViewVolume) volume = camera->PerspectiveOfVolume();
    if (placement.IsNull() || placement->Location().IsNull() || volume.IsNull())
      return Skip(camera, "camera model without its placement or view volume");
    const std::optional<gp_XYZ> location = Coordinates(placement->Location()->Coordinates());
    gp_XYZ axis(0, 0, 1), ref(1, 0, 0);
    std::optional<gp_XYZ> given;
    if (placement->HasAxis() && !placement->Axis().IsNull()) {
      given = Coordinates(placement->Axis()->DirectionRatios());
      if (!given) return Skip(camera, "camera axis is not a direction");
      axis = *given;
    }
    if (placement->HasRefDirection() && !placement->RefDirection().IsNull()) {
      given = Coordinates(placement->RefDirection()->DirectionRatios());
      if (!given) return Skip(camera, "camera reference direction is not a direction");
      ref = *given;
    }
    if (!location) return Skip(camera, "camera location is not a point");
    if (axis.Modulus() < 1e-12 || ref.Modulus() < 1e-12 ||
        axis.Crossed(ref).Modulus() < 1e-12 * axis.Modulus() * ref.Modulus())
      return Skip(camera, "camera axis and reference direction are zero or parallel");
    const gp_Ax2 frame{gp_Pnt(*location), gp_Dir(axis), gp_Dir(ref)};

    // The draughting model that holds the camera: its items are what the view shows.
    std::set<Transient> items;
    double factor = 1;
    bool found = false;
    Transient draughtingModel;
    for (Interface_EntityIterator it = graph_->Sharings(camera); it.More() && !found; it.Next()) {
      found = ItemsOfModelHolding(it.Value(), camera, items, factor);
      if (found) draughtingModel = it.Value();
    }
    if (!found) return Skip(camera, "camera model in no draughting model");

    c.origin = Vec(frame.Location().XYZ() * factor);
    c.direction = Vec(frame.Direction().XYZ());
    c.zenith = Vec(frame.YDirection().XYZ());
    c.cameraType = volume->ProjectionType() == StepVisual_copCentral ? KROStepCameraCentral
                                                                     : KROStepCameraParallel;
    c.clipping = (volume->FrontPlaneClipping() ? KROStepClipFront : 0) |
                 (volume->BackPlaneClipping() ? KROStepClipBack : 0) |
                 (volume->ViewVolumeSidesClipping() ? KROStepClipSides : 0);
    ReadShown(items, draughtingModel, c);
    facts_.cameras.push_back(std::move(c));
  }

  bool ItemsOfModelHolding(const Transient& model, const Transient& camera,
                           std::set<Transient>& items, double& factor) const {
    std::vector<Transient> list;
    Transient context;
    if (auto r = Handle(StepRepr_Representation)::DownCast(model);
        !r.IsNull() && !r->Items().IsNull()) {
      for (int i = 1; i <= r->NbItems(); ++i)
        list.push_back(r->ItemsValue(i));
      context = r->ContextOfItems();
    }
    if (list.empty()) {
      const KROStepRecord record(model_, model);
      Handle(StepData_UndefinedEntity) rep = record.Part("REPRESENTATION");
      if (rep.IsNull() || !record.Has("DRAUGHTING_MODEL")) return false;
      list = ParamEntities(rep, 2);
      context = ParamEntity(rep, 3);
    }
    if (std::find(list.begin(), list.end(), camera) == list.end()) return false;
    items.insert(list.begin(), list.end());
    factor = ContextFactor(context);
    return true;
  }

  const std::vector<Handle(StepAP242_DraughtingModelItemAssociation)>& Links() {
    if (!linksRead_) {
      linksRead_ = true;
      for (int i = 1; i <= model_->NbEntities(); ++i)
        if (auto link =
                Handle(StepAP242_DraughtingModelItemAssociation)::DownCast(model_->Value(i)))
          links_.push_back(link);
    }
    return links_;
  }

  /// The semantic PMI the draughting model's presentations stand for. A draughting model
  /// presents PMI when one of its items is a presentation of an association, or when an
  /// association names the draughting model itself as the representation it is used in.
  void ReadShown(const std::set<Transient>& items, const Transient& draughtingModel,
                 KROStepFileCamera& c) {
    std::set<int> seen;
    for (const Handle(StepAP242_DraughtingModelItemAssociation) & link : Links()) {
      if (link->IdentifiedItem().IsNull()) continue;
      bool shown = false;
      for (int k = 1; k <= link->NbIdentifiedItem() && !shown; ++k)
        shown = items.count(link->IdentifiedItemValue(k)) > 0;
      if (!shown && link->UsedRepresentation() == draughtingModel && !draughtingModel.IsNull())
        shown = true;
      const Transient definition = link->Definition().Value();
      if (!shown || definition.IsNull()) continue;
      c.presentsPmi = true;
      std::string name;
      for (int k = 1; k <= link->NbIdentifiedItem() && name.empty(); ++k)
        if (Handle(StepRepr_RepresentationItem) item = link->IdentifiedItemValue(k))
          name = Ascii(item->Name());
      if (!seen.insert(Id(definition)).second && name.empty()) continue;
      c.shownIds.push_back(Id(definition));
      c.shownNames.push_back(name);
    }
    // Callouts no association names: graphic-only PMI, shown as themselves.
    std::set<Transient> named;
    for (const Handle(StepAP242_DraughtingModelItemAssociation) & link : Links())
      for (int k = 1; !link->IdentifiedItem().IsNull() && k <= link->NbIdentifiedItem(); ++k)
        named.insert(link->IdentifiedItemValue(k));
    std::map<int, std::string> alone; // by id, in the file's order
    for (const Transient& item : items)
      if (!item.IsNull() && !named.count(item) && IsCallout(item))
        alone[Id(item)] = Ascii(Handle(StepRepr_RepresentationItem)::DownCast(item)->Name());
    for (const auto& [id, name] : alone) {
      c.presentsPmi = true;
      c.shownIds.push_back(id);
      c.shownNames.push_back(name);
    }
  }

  static bool IsCallout(const Transient& e) {
    return e->IsKind(STANDARD_TYPE(StepVisual_DraughtingCallout)) ||
           e->IsKind(STANDARD_TYPE(StepVisual_TessellatedAnnotationOccurrence)) ||
           e->IsKind(STANDARD_TYPE(StepVisual_AnnotationCurveOccurrence)) ||
           e->IsKind(STANDARD_TYPE(StepVisual_AnnotationFillAreaOccurrence));
  }

  // ---- notes ----------------------------------------------------------------------------------

  /// Semantic PMI, or an aspect semantic PMI applies to (associations may name either).
  bool IsSemantic(int id) const {
    if (toleranceOfEntity_.count(id) || dimensionOfEntity_.count(id)) return true;
    for (const KROStepFileDatumFeature& f : facts_.datumFeatures)
      if (f.entity == id) return true;
    for (const KROStepFileTolerance& t : facts_.tolerances)
      if (std::find(t.aspects.begin(), t.aspects.end(), id) != t.aspects.end()) return true;
    for (const KROStepFileDimension& d : facts_.dimensions)
      if (std::find(d.aspects.begin(), d.aspects.end(), id) != d.aspects.end()) return true;
    return false;
  }

  /// A descriptive item of a property's representation.
  struct PropertyText {
    int entity = 0;
    std::string name, text;
  };

  /// The descriptive items of a property's representations.
  std::vector<PropertyText> PropertyTexts(const Handle(StepRepr_PropertyDefinition) & property) {
    std::vector<PropertyText> out;
    for (Interface_EntityIterator p = graph_->Sharings(property); p.More(); p.Next()) {
      auto pdr = Handle(StepRepr_PropertyDefinitionRepresentation)::DownCast(p.Value());
      if (pdr.IsNull() || pdr->UsedRepresentation().IsNull()) continue;
      Handle(StepRepr_Representation) rep = pdr->UsedRepresentation();
      for (int i = 1; !rep->Items().IsNull() && i <= rep->NbItems(); ++i)
        if (auto d = Handle(StepRepr_DescriptiveRepresentationItem)::DownCast(rep->ItemsValue(i)))
          out.push_back({Id(d), Ascii(d->Name()), Ascii(d->Description())});
    }
    return out;
  }

  static bool IsSemanticText(const Transient& definition) {
    auto property = Handle(StepRepr_PropertyDefinition)::DownCast(definition);
    return !property.IsNull() && Lower(Ascii(property->Name())) == "semantic text";
  }

  /// The 'semantic text' properties on `definition`.
  std::vector<Transient> SemanticTextsOn(const Transient& definition) const {
    std::vector<Transient> out;
    for (Interface_EntityIterator it = graph_->Sharings(definition); it.More(); it.Next())
      if (IsSemanticText(it.Value())) out.push_back(it.Value());
    return out;
  }

  /// Each callout that presents a 'semantic text' and no dimension or tolerance, or whose
  /// associations name no semantic PMI at all, is a note. Its text is that of the semantic texts' items named like the callout (all of
  /// them when none is), one line per item; else the callout's name. A note on the whole part
  /// (its product definition shape) is tied to no face.
  void ReadNotes() {
    std::map<int, std::vector<Transient>> definitionsOfCallout;
    std::map<int, Transient> callouts;
    for (const Handle(StepAP242_DraughtingModelItemAssociation) & link : Links()) {
      if (link->IdentifiedItem().IsNull() || link->Definition().Value().IsNull()) continue;
      for (int k = 1; k <= link->NbIdentifiedItem(); ++k) {
        const Transient item = link->IdentifiedItemValue(k);
        if (item.IsNull()) continue;
        definitionsOfCallout[Id(item)].push_back(link->Definition().Value());
        callouts[Id(item)] = item;
      }
    }
    for (const auto& [id, definitions] : definitionsOfCallout) {
      const auto any = [&](auto&& test) {
        return std::any_of(definitions.begin(), definitions.end(), test);
      };
      const bool pmi = any([&](const Transient& d) {
        return toleranceOfEntity_.count(Id(d)) > 0 || dimensionOfEntity_.count(Id(d)) > 0;
      });
      const bool text = any(IsSemanticText);
      const bool semantic = any([&](const Transient& d) { return IsSemantic(Id(d)); });
      if (pmi || (semantic && !text)) continue;
      KROStepFileNote note;
      note.entity = id;
      if (auto item = Handle(StepRepr_RepresentationItem)::DownCast(callouts[id]))
        note.name = Ascii(item->Name());
      std::vector<Transient> properties;
      for (const Transient& d : definitions) {
        Transient on = d;
        if (d->IsKind(STANDARD_TYPE(StepRepr_PropertyDefinition))) {
          properties.push_back(d);
          on = Handle(StepRepr_PropertyDefinition)::DownCast(d)->Definition().Value();
        } else if (!IsSemantic(Id(d))) {
          for (const Transient& p : SemanticTextsOn(d))
            properties.push_back(p);
        }
        if (!on.IsNull() && !on->IsKind(STANDARD_TYPE(StepRepr_ProductDefinitionShape)))
          for (int tag : Tags(on))
            note.tags.push_back(tag);
      }
      std::vector<PropertyText> texts;
      std::set<int> seen;
      for (const Transient& p : properties)
        for (PropertyText& t : PropertyTexts(Handle(StepRepr_PropertyDefinition)::DownCast(p)))
          if (seen.insert(t.entity).second) texts.push_back(std::move(t));
      const bool named = std::any_of(texts.begin(), texts.end(),
                                     [&](const PropertyText& t) { return t.name == note.name; });
      for (const PropertyText& t : texts)
        if (!named || t.name == note.name) note.text += (note.text.empty() ? "" : "\n") + t.text;
      std::sort(note.tags.begin(), note.tags.end());
      note.tags.erase(std::unique(note.tags.begin(), note.tags.end()), note.tags.end());
      if (note.text.empty()) note.text = note.name;
      facts_.notes.push_back(std::move(note));
    }
  }

  Handle(XSControl_WorkSession) ws_;
  const KROStepTagLookup& tagOf_;
  KROStepFileFacts& facts_;
  Handle(StepData_StepModel) model_;
  Handle(Transfer_TransientProcess) process_;
  const Interface_Graph* graph_ = nullptr;
  double localUnit_ = 1;
  bool pmiUnitSeen_ = false;
  bool linksRead_ = false;
  std::vector<Handle(StepAP242_DraughtingModelItemAssociation)> links_;
  std::map<const Standard_Transient*, std::vector<std::vector<Transient>>> untypedUsages_;
  std::map<int, int> dimensionOfEntity_;
  std::map<int, int> toleranceOfEntity_;
  std::map<int, int> systemOfEntity_;

public:
  std::function<bool(int)> tagIsFace_ = [](int) { return true; };
};

} // namespace

void KROStepFacesOrEdges(const TopoDS_Shape& shape, TopTools_IndexedMapOfShape& pieces) {
  if (shape.IsNull()) return;
  if (shape.ShapeType() == TopAbs_FACE || shape.ShapeType() == TopAbs_EDGE) {
    pieces.Add(shape);
    return;
  }
  TopExp::MapShapes(shape, TopAbs_FACE, pieces);
  if (pieces.IsEmpty()) TopExp::MapShapes(shape, TopAbs_EDGE, pieces);
}

namespace {

/// The length measure a record's parameter names, as a plain length measure with unit.
Handle(StepBasic_LengthMeasureWithUnit) PlainLength(const Transient& e) {
  Handle(StepBasic_MeasureWithUnit) m = Handle(StepBasic_MeasureWithUnit)::DownCast(e);
  if (auto item = Handle(StepRepr_ReprItemAndMeasureWithUnit)::DownCast(e))
    m = item->GetMeasureWithUnit();
  if (m.IsNull() || m->ValueComponentMember().IsNull()) return nullptr;
  Handle(StepBasic_LengthMeasureWithUnit) length = new StepBasic_LengthMeasureWithUnit;
  length->Init(m->ValueComponentMember(), m->UnitComponent());
  return length;
}

} // namespace

std::vector<int> KROStepMendUnreadLengths(const Handle(XSControl_WorkSession) & ws) {
  std::vector<int> unread;
  Handle(StepData_StepModel) model = Handle(StepData_StepModel)::DownCast(ws->Model());
  if (model.IsNull()) return unread;
  for (int i = 1; i <= model->NbEntities(); ++i) {
    const Transient e = model->Value(i);
    auto both = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMaxTol)::DownCast(e);
    auto alone = Handle(StepDimTol_GeoTolAndGeoTolWthMaxTol)::DownCast(e);
    auto simple = Handle(StepDimTol_GeometricToleranceWithMaximumTolerance)::DownCast(e);
    auto modifier = Handle(StepDimTol_DatumReferenceModifierWithValue)::DownCast(e);
    // Which part of the record, and which of its parameters, states the length.
    const char* part = nullptr;
    int index = 1;
    if ((!both.IsNull() && both->GetMaxTolerance().IsNull()) ||
        (!alone.IsNull() && alone->GetMaxTolerance().IsNull()) ||
        (!simple.IsNull() && simple->MaximumUpperTolerance().IsNull())) {
      part = "GEOMETRIC_TOLERANCE_WITH_MAXIMUM_TOLERANCE";
    } else if (!modifier.IsNull() && modifier->ModifierValue().IsNull()) {
      part = "DATUM_REFERENCE_MODIFIER_WITH_VALUE";
      index = 2;
    }
    if (!part) continue;
    // OCCT's report of the record still names the measure it could not type.
    Handle(StepBasic_LengthMeasureWithUnit) length =
        PlainLength(ParamEntity(KROStepRecord(model, e).Part(part), index));
    if (length.IsNull()) {
      unread.push_back(model->IdentLabel(e));
      continue;
    }
    if (!both.IsNull()) both->SetMaxTolerance(length);
    if (!alone.IsNull()) alone->SetMaxTolerance(length);
    if (!simple.IsNull()) simple->SetMaximumUpperTolerance(length);
    if (!modifier.IsNull()) modifier->SetModifierValue(length);
  }
  return unread;
}

void KROStepReadFileFacts(const Handle(XSControl_WorkSession) & ws, const KROStepTagLookup& tagOf,
                          const std::function<bool(int)>& isFace, KROStepFileFacts& facts) {
  if (ws.IsNull()) return;
  KROStepFactReader reader(ws, tagOf, facts);
  reader.tagIsFace_ = isFace;
  reader.Read();
  KROStepReadCallouts(ws, facts);
}

Handle(Standard_Transient) KROStepRepresentationContext(const Handle(StepData_StepModel) & model,
                                                        const Handle(Standard_Transient) & e) {
  if (auto r = Handle(StepRepr_Representation)::DownCast(e)) return r->ContextOfItems();
  if (model.IsNull() || e.IsNull()) return nullptr;
  return ParamEntity(KROStepRecord(model, e).Part("REPRESENTATION"), 3);
}

double KROStepContextLengthFactor(const Handle(Standard_Transient) & context) {
  Handle(StepRepr_GlobalUnitAssignedContext) units =
      Handle(StepRepr_GlobalUnitAssignedContext)::DownCast(context);
  if (auto c = Handle(StepGeom_GeomRepContextAndGlobUnitAssCtxAndGlobUncertaintyAssCtx)::DownCast(
          context))
    units = c->GlobalUnitAssignedContext();
  STEPConstruct_UnitContext unit;
  if (units.IsNull() || unit.ComputeFactors(units) != 0 || !(unit.LengthFactor() > 0)) return 0;
  return unit.LengthFactor();
}
