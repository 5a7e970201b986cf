// KROStepRecovery.cpp - reads what OCCT's STEP model holds and its XCAF document dropped.
///
/// Entities come in two forms: typed by OCCT (its StepDimTol_, StepVisual_ classes), or kept as
/// undefined content (a StepData_UndefinedEntity: the record's parameters as OCCT parsed them),
/// either as the model's entity or as the content of an error report on a typed entity. Both
/// are read; every reference is checked for its type before it is followed, and walks along
/// references are bounded, so a malformed record is skipped, never followed into a loop.
#include "KROStepRecovery.h"
#include "KROStepTexts.h"

#include <Interface_Check.hxx>
#include <Interface_EntityIterator.hxx>
#include <Interface_Graph.hxx>
#include <Interface_ReportEntity.hxx>
#include <Interface_UndefinedContent.hxx>
#include <STEPCAFControl_GDTProperty.hxx>
#include <STEPConstruct_UnitContext.hxx>
#include <Standard_Version.hxx>
#include <StepAP242_DraughtingModelItemAssociation.hxx>
#include <StepAP242_ItemIdentifiedRepresentationUsage.hxx>
#include <StepBasic_MeasureWithUnit.hxx>
#include <StepBasic_NamedUnit.hxx>
#include <StepData_StepModel.hxx>
#include <StepData_UndefinedEntity.hxx>
#include <StepDimTol_AngularityTolerance.hxx>
#include <StepDimTol_CircularRunoutTolerance.hxx>
#include <StepDimTol_CoaxialityTolerance.hxx>
#include <StepDimTol_ConcentricityTolerance.hxx>
#include <StepDimTol_CylindricityTolerance.hxx>
#include <StepDimTol_Datum.hxx>
#include <StepDimTol_DatumFeature.hxx>
#include <StepDimTol_DatumReference.hxx>
#include <StepDimTol_DatumReferenceCompartment.hxx>
#include <StepDimTol_DatumReferenceElement.hxx>
#include <StepDimTol_DatumSystem.hxx>
#include <StepDimTol_DatumTarget.hxx>
#include <StepDimTol_FlatnessTolerance.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRef.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthDatRefAndModGeoTolAndPosTol.hxx>
#include <StepDimTol_GeoTolAndGeoTolWthMod.hxx>
#include <StepDimTol_GeometricTolerance.hxx>
#include <StepDimTol_GeometricToleranceWithDatumReference.hxx>
#include <StepDimTol_HArray1OfDatumReferenceElement.hxx>
#include <StepDimTol_LineProfileTolerance.hxx>
#include <StepDimTol_ParallelismTolerance.hxx>
#include <StepDimTol_PerpendicularityTolerance.hxx>
#include <StepDimTol_PositionTolerance.hxx>
#include <StepDimTol_RoundnessTolerance.hxx>
#include <StepDimTol_StraightnessTolerance.hxx>
#include <StepDimTol_SurfaceProfileTolerance.hxx>
#include <StepDimTol_SymmetryTolerance.hxx>
#include <StepDimTol_ToleranceZone.hxx>
#include <StepDimTol_ToleranceZoneForm.hxx>
#include <StepDimTol_TotalRunoutTolerance.hxx>
#include <StepGeom_Axis2Placement3d.hxx>
#include <StepGeom_CartesianPoint.hxx>
#include <StepGeom_Direction.hxx>
#include <StepGeom_GeomRepContextAndGlobUnitAssCtxAndGlobUncertaintyAssCtx.hxx>
#include <StepRepr_GlobalUnitAssignedContext.hxx>
#include <StepRepr_ProductDefinitionShape.hxx>
#include <StepRepr_ReprItemAndMeasureWithUnit.hxx>
#include <StepRepr_Representation.hxx>
#include <StepRepr_RepresentationItem.hxx>
#include <StepRepr_ShapeAspect.hxx>
#include <StepRepr_ShapeAspectRelationship.hxx>
#include <StepRepr_ShapeRepresentationRelationship.hxx>
#include <StepShape_DimensionalCharacteristicRepresentation.hxx>
#include <StepShape_DimensionalLocation.hxx>
#include <StepShape_DimensionalSize.hxx>
#include <StepShape_ShapeDefinitionRepresentation.hxx>
#include <StepShape_ShapeDimensionRepresentation.hxx>
#include <StepShape_ShapeRepresentation.hxx>
#include <StepVisual_CameraModelD3.hxx>
#include <StepVisual_ViewVolume.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TransferBRep.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>
#include <XSControl_TransferReader.hxx>
#include <gp_Ax2.hxx>

#include <TColStd_HArray1OfReal.hxx>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
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
    const int n = model->Number(entity);
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

  /// The part of the given type, or null.
  Handle(StepData_UndefinedEntity) Part(const char* type) const {
    for (const auto& p : parts_)
      if (std::strcmp(p->StepType(), type) == 0) return p;
    return nullptr;
  }

  bool Has(const char* type) const { return !Part(type).IsNull(); }

  /// The first part whose type ends in `suffix` (e.g. "_TOLERANCE"), or null.
  Handle(StepData_UndefinedEntity) PartEndingIn(const std::string& suffix) const {
    for (const auto& p : parts_) {
      const std::string t = p->StepType();
      if (t.size() >= suffix.size() &&
          t.compare(t.size() - suffix.size(), suffix.size(), suffix) == 0)
        return p;
    }
    return nullptr;
  }

  const std::vector<Handle(StepData_UndefinedEntity)>& Parts() const { return parts_; }

private:
  std::vector<Handle(StepData_UndefinedEntity)> parts_;
};

Transient ParamEntity(const Handle(StepData_UndefinedEntity) & part, int index) {
  if (part.IsNull()) return nullptr;
  Handle(Interface_UndefinedContent) c = part->UndefinedContent();
  if (c.IsNull() || index < 1 || index > c->NbParams() || !c->IsParamEntity(index)) return nullptr;
  return c->ParamEntity(index);
}

/// A quoted string parameter without its quotes ('' stands for one quote in the file).
std::string ParamString(const Handle(StepData_UndefinedEntity) & part, int index) {
  if (part.IsNull()) return {};
  Handle(Interface_UndefinedContent) c = part->UndefinedContent();
  if (c.IsNull() || index < 1 || index > c->NbParams() || c->IsParamEntity(index)) return {};
  Handle(TCollection_HAsciiString) v = c->ParamValue(index);
  std::string s = v.IsNull() ? std::string() : v->ToCString();
  if (s.size() < 2 || s.front() != '\'' || s.back() != '\'') return {};
  std::string out;
  for (std::size_t i = 1; i + 1 < s.size(); ++i) {
    out += s[i];
    if (s[i] == '\'' && s[i + 1] == '\'') ++i;
  }
  return out;
}

/// The entities of a list parameter (OCCT keeps a list as a sub-record of its own).
std::vector<Transient> ParamList(const Handle(StepData_UndefinedEntity) & part, int index) {
  std::vector<Transient> out;
  Handle(StepData_UndefinedEntity) list =
      Handle(StepData_UndefinedEntity)::DownCast(ParamEntity(part, index));
  if (list.IsNull() || !list->IsSub()) return out;
  Handle(Interface_UndefinedContent) c = list->UndefinedContent();
  for (int i = 1; !c.IsNull() && i <= c->NbParams(); ++i)
    if (c->IsParamEntity(i)) out.push_back(c->ParamEntity(i));
  return out;
}

std::string Ascii(const Handle(TCollection_HAsciiString) & s) {
  return s.IsNull() ? std::string() : std::string(s->ToCString());
}

class KROStepFactReader {
public:
  explicit KROStepFactReader(const Handle(XSControl_WorkSession) & ws, KROStepFileFacts& facts)
      : ws_(ws), facts_(facts) {
    model_ = Handle(StepData_StepModel)::DownCast(ws->Model());
    if (!ws->TransferReader().IsNull()) process_ = ws->TransferReader()->TransientProcess();
    if (!model_.IsNull() && model_->LocalLengthUnit() > 0) localUnit_ = model_->LocalLengthUnit();
  }

  void Read() {
    if (model_.IsNull()) return;
    // The file's length unit: that of its first representation context with global units.
    for (int i = 1; i <= model_->NbEntities(); ++i) {
      const Transient& e = model_->Value(i);
      if (e->IsKind(STANDARD_TYPE(StepRepr_GlobalUnitAssignedContext)) ||
          e->IsKind(
              STANDARD_TYPE(StepGeom_GeomRepContextAndGlobUnitAssCtxAndGlobUncertaintyAssCtx))) {
        facts_.lengthFactor = ContextFactor(e);
        break;
      }
    }
    const Interface_Graph& graph = ws_->Graph();
    graph_ = &graph;
    for (int i = 1; i <= model_->NbEntities(); ++i) {
      const Transient& e = model_->Value(i);
      if (IsTolerance(e)) ReadTolerance(e);
    }
    for (int i = 1; i <= model_->NbEntities(); ++i) {
      Handle(StepVisual_CameraModelD3) camera =
          Handle(StepVisual_CameraModelD3)::DownCast(model_->Value(i));
      if (!camera.IsNull()) ReadCamera(camera);
    }
  }

private:
  int Id(const Transient& e) const { return e.IsNull() ? 0 : model_->IdentLabel(e); }

  void Skip(const Transient& e, const std::string& why) {
    facts_.messages.push_back({KROStepMessage::Severity::Warning,
                               "file entity #" + std::to_string(Id(e)) + " skipped: " + why});
  }

  /// OCCT's first failure on the entity, or empty.
  std::string CheckOf(const Transient& e) const {
    const int n = model_->Number(e);
    if (n <= 0 || !model_->IsErrorEntity(n) || !model_->IsReportEntity(n)) return {};
    Handle(Interface_ReportEntity) report = model_->ReportEntity(n);
    if (report.IsNull() || report->Check().IsNull() || report->Check()->NbFails() == 0) return {};
    return report->Check()->CFail(1);
  }

  bool IsTolerance(const Transient& e) const {
    if (e->IsKind(STANDARD_TYPE(StepDimTol_GeometricTolerance))) return true;
    if (!e->IsKind(STANDARD_TYPE(StepData_UndefinedEntity))) return false;
    const KROStepRecord record(model_, e);
    return record.Has("GEOMETRIC_TOLERANCE");
  }

  static XCAFDimTolObjects_GeomToleranceType TypeOfName(const std::string& t) {
    static const std::map<std::string, XCAFDimTolObjects_GeomToleranceType> types = {
        {"ANGULARITY_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Angularity},
        {"CIRCULAR_RUNOUT_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_CircularRunout},
        {"COAXIALITY_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Coaxiality},
        {"CONCENTRICITY_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Concentricity},
        {"CYLINDRICITY_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Cylindricity},
        {"FLATNESS_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Flatness},
        {"LINE_PROFILE_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_ProfileOfLine},
        {"PARALLELISM_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Parallelism},
        {"PERPENDICULARITY_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Perpendicularity},
        {"POSITION_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Position},
        {"ROUNDNESS_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_CircularityOrRoundness},
        {"STRAIGHTNESS_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Straightness},
        {"SURFACE_PROFILE_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_ProfileOfSurface},
        {"SYMMETRY_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_Symmetry},
        {"TOTAL_RUNOUT_TOLERANCE", XCAFDimTolObjects_GeomToleranceType_TotalRunout},
    };
    auto it = types.find(t);
    return it == types.end() ? XCAFDimTolObjects_GeomToleranceType_None : it->second;
  }

  static XCAFDimTolObjects_GeomToleranceType TypeOfClass(const Transient& e) {
    auto is = [&](const Handle(Standard_Type) & t) { return e->IsKind(t); };
    if (is(STANDARD_TYPE(StepDimTol_GeoTolAndGeoTolWthDatRefAndModGeoTolAndPosTol)))
      return XCAFDimTolObjects_GeomToleranceType_Position;
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod)::DownCast(e))
      return STEPCAFControl_GDTProperty::GetGeomToleranceType(c->GetToleranceType());
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRef)::DownCast(e))
      return STEPCAFControl_GDTProperty::GetGeomToleranceType(c->GetToleranceType());
    if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthMod)::DownCast(e))
      return STEPCAFControl_GDTProperty::GetGeomToleranceType(c->GetToleranceType());
    const std::pair<Handle(Standard_Type), XCAFDimTolObjects_GeomToleranceType> classes[] = {
        {STANDARD_TYPE(StepDimTol_AngularityTolerance),
         XCAFDimTolObjects_GeomToleranceType_Angularity},
        {STANDARD_TYPE(StepDimTol_CircularRunoutTolerance),
         XCAFDimTolObjects_GeomToleranceType_CircularRunout},
        {STANDARD_TYPE(StepDimTol_CoaxialityTolerance),
         XCAFDimTolObjects_GeomToleranceType_Coaxiality},
        {STANDARD_TYPE(StepDimTol_ConcentricityTolerance),
         XCAFDimTolObjects_GeomToleranceType_Concentricity},
        {STANDARD_TYPE(StepDimTol_CylindricityTolerance),
         XCAFDimTolObjects_GeomToleranceType_Cylindricity},
        {STANDARD_TYPE(StepDimTol_FlatnessTolerance), XCAFDimTolObjects_GeomToleranceType_Flatness},
        {STANDARD_TYPE(StepDimTol_LineProfileTolerance),
         XCAFDimTolObjects_GeomToleranceType_ProfileOfLine},
        {STANDARD_TYPE(StepDimTol_ParallelismTolerance),
         XCAFDimTolObjects_GeomToleranceType_Parallelism},
        {STANDARD_TYPE(StepDimTol_PerpendicularityTolerance),
         XCAFDimTolObjects_GeomToleranceType_Perpendicularity},
        {STANDARD_TYPE(StepDimTol_PositionTolerance), XCAFDimTolObjects_GeomToleranceType_Position},
        {STANDARD_TYPE(StepDimTol_RoundnessTolerance),
         XCAFDimTolObjects_GeomToleranceType_CircularityOrRoundness},
        {STANDARD_TYPE(StepDimTol_StraightnessTolerance),
         XCAFDimTolObjects_GeomToleranceType_Straightness},
        {STANDARD_TYPE(StepDimTol_SurfaceProfileTolerance),
         XCAFDimTolObjects_GeomToleranceType_ProfileOfSurface},
        {STANDARD_TYPE(StepDimTol_SymmetryTolerance), XCAFDimTolObjects_GeomToleranceType_Symmetry},
        {STANDARD_TYPE(StepDimTol_TotalRunoutTolerance),
         XCAFDimTolObjects_GeomToleranceType_TotalRunout},
    };
    for (const auto& [type, value] : classes)
      if (is(type)) return value;
    return XCAFDimTolObjects_GeomToleranceType_None;
  }

  /// The value of a length measure in the document's unit, converted as OCCT converts lengths.
  std::optional<double> Length(const Transient& measure) const {
    Handle(StepBasic_MeasureWithUnit) m = Handle(StepBasic_MeasureWithUnit)::DownCast(measure);
    if (m.IsNull()) {
      if (auto item = Handle(StepRepr_ReprItemAndMeasureWithUnit)::DownCast(measure))
        m = item->GetMeasureWithUnit();
    }
    if (m.IsNull() || m->ValueComponentMember().IsNull()) return std::nullopt;
    const double value = m->ValueComponent();
    if (!std::isfinite(value)) return std::nullopt;
    Handle(StepBasic_NamedUnit) unit = m->UnitComponent().NamedUnit();
    double factor = 1;
    if (!unit.IsNull()) {
      STEPConstruct_UnitContext context;
      if (context.ComputeFactors(unit) == 0 && context.LengthFactor() > 0)
        factor = context.LengthFactor();
    }
    return value * factor / localUnit_;
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
      t.type = TypeOfClass(e);
      magnitude = typed->Magnitude();
      target = typed->TolerancedShapeAspect().Value();
      Handle(StepDimTol_GeometricToleranceWithDatumReference) withDatums =
          Handle(StepDimTol_GeometricToleranceWithDatumReference)::DownCast(e);
      if (withDatums.IsNull()) {
        if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRef)::DownCast(e))
          withDatums = c->GetGeometricToleranceWithDatumReference();
        else if (auto c = Handle(StepDimTol_GeoTolAndGeoTolWthDatRefAndGeoTolWthMod)::DownCast(e))
          withDatums = c->GetGeometricToleranceWithDatumReference();
      }
      if (!withDatums.IsNull()) {
        if (auto list = withDatums->DatumSystemAP242()) {
          for (int i = 1; i <= list->Length(); ++i)
            systems.push_back(list->Value(i).Value());
        } else if (auto old = withDatums->DatumSystem()) {
          for (int i = 1; i <= old->Length(); ++i)
            systems.push_back(old->Value(i));
        }
      }
    }
    // Where OCCT rejected a parameter, its report still holds the record as parsed.
    if (!record.Empty()) {
      Handle(StepData_UndefinedEntity) base = record.Part("GEOMETRIC_TOLERANCE");
      if (base.IsNull()) base = record.PartEndingIn("_TOLERANCE");
      if (t.name.empty()) t.name = ParamString(base, 1);
      if (magnitude.IsNull()) {
        magnitude = ParamEntity(base, 3);
        if (!magnitude.IsNull()) t.magnitudeProblem = t.problem;
      }
      if (target.IsNull()) target = ParamEntity(base, 4);
      if (t.type == XCAFDimTolObjects_GeomToleranceType_None)
        for (const auto& p : record.Parts())
          if (auto type = TypeOfName(p->StepType());
              type != XCAFDimTolObjects_GeomToleranceType_None)
            t.type = type;
      if (systems.empty()) {
        systems = ParamList(record.Part("GEOMETRIC_TOLERANCE_WITH_DATUM_REFERENCE"), 1);
        // A simple tolerance with datums lists them after the four of its super type.
        if (systems.empty()) systems = ParamList(record.PartEndingIn("_TOLERANCE"), 5);
      }
    }
    if (!magnitude.IsNull()) {
      t.value = Length(magnitude);
      if (!t.value) {
        Skip(magnitude, "the magnitude of tolerance #" + std::to_string(t.entity) +
                            " is not a length measure");
        t.magnitudeProblem.clear();
      }
    }
    if (target.IsNull()) {
      Skip(e, "tolerance without a toleranced shape aspect");
    } else {
      std::set<const Standard_Transient*> visited;
      ShapesOf(target, t.shapes, 0, visited);
    }
    for (const Transient& s : systems)
      LettersOf(s, t.datums);
    t.diameterZone = HasCylindricalZone(e);
    facts_.tolerances.push_back(std::move(t));
  }

  bool HasCylindricalZone(const Transient& tolerance) const {
    for (Interface_EntityIterator it = graph_->Sharings(tolerance); it.More(); it.Next()) {
      Handle(StepDimTol_ToleranceZone) zone =
          Handle(StepDimTol_ToleranceZone)::DownCast(it.Value());
      if (zone.IsNull() || zone->Form().IsNull()) continue;
      const std::string form = Ascii(zone->Form()->Name());
      if (form == "cylindrical or circular" || form == "within a circle") return true;
    }
    return false;
  }

  void LettersOf(const Transient& system, std::vector<std::string>& out) const {
    if (auto s = Handle(StepDimTol_DatumSystem)::DownCast(system)) {
      for (int i = 1; i <= s->NbConstituents(); ++i) {
        Handle(StepDimTol_DatumReferenceCompartment) c = s->ConstituentsValue(i);
        if (c.IsNull()) continue;
        StepDimTol_DatumOrCommonDatum base = c->Base();
        if (!base.Datum().IsNull()) {
          out.push_back(Ascii(base.Datum()->Identification()));
        } else if (auto common = base.CommonDatumList()) {
          std::string letters;
          for (int k = 1; k <= common->Length(); ++k) {
            Handle(StepDimTol_DatumReferenceElement) el = common->Value(k);
            if (el.IsNull() || el->Base().Datum().IsNull()) continue;
            letters += (letters.empty() ? "" : "-") + Ascii(el->Base().Datum()->Identification());
          }
          out.push_back(letters);
        }
      }
    } else if (auto r = Handle(StepDimTol_DatumReference)::DownCast(system)) {
      if (!r->ReferencedDatum().IsNull())
        out.push_back(Ascii(r->ReferencedDatum()->Identification()));
    }
  }

  /// Adds the faces and edges of a transferred item: its own faces, else its edges.
  void AddShapesOf(const Transient& item, std::vector<TopoDS_Shape>& out) const {
    if (process_.IsNull() || out.size() >= kMaxShapes) return;
    TopoDS_Shape shape = TransferBRep::ShapeResult(process_, item);
    if (shape.IsNull()) return;
    TopTools_IndexedMapOfShape pieces;
    KROStepFacesOrEdges(shape, pieces);
    for (int i = 1; i <= pieces.Extent() && out.size() < kMaxShapes; ++i)
      out.push_back(pieces(i));
  }

  /// A product's shape: its representation's, or, where that holds no shape of its own (only
  /// placements), those of the shape representations related to it.
  void AddShapesOfRepresentation(const Handle(StepRepr_Representation) & rep,
                                 std::vector<TopoDS_Shape>& out) const {
    if (rep.IsNull()) return;
    std::vector<TopoDS_Shape> shapes;
    AddShapesOf(rep, shapes);
    if (shapes.empty()) {
      for (Interface_EntityIterator it = graph_->Sharings(rep); it.More(); it.Next()) {
        // Shape relationships only: supplemental geometry is not the product's shape.
        auto rel = Handle(StepRepr_ShapeRepresentationRelationship)::DownCast(it.Value());
        if (!rel.IsNull()) AddShapesOf(rel->Rep1() == rep ? rel->Rep2() : rel->Rep1(), shapes);
      }
    }
    // As for one shape: its faces, and its edges only when it has no face at all.
    const bool faces = std::any_of(shapes.begin(), shapes.end(), [](const TopoDS_Shape& s) {
      return s.ShapeType() == TopAbs_FACE;
    });
    for (const TopoDS_Shape& s : shapes)
      if (!faces || s.ShapeType() == TopAbs_FACE) out.push_back(s);
  }

  /// The faces and edges a shape aspect (or a dimension, or a whole product shape) stands for:
  /// the items its usages identify, and those of the aspects it is composed of.
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
    for (Interface_EntityIterator it = graph_->Sharings(aspect); it.More(); it.Next()) {
      const Transient& user = it.Value();
      if (auto usage = Handle(StepAP242_ItemIdentifiedRepresentationUsage)::DownCast(user)) {
        if (usage->Definition().Value() != aspect || usage->IdentifiedItem().IsNull()) continue;
        for (int i = 1; i <= usage->NbIdentifiedItem(); ++i)
          AddShapesOf(usage->IdentifiedItemValue(i), out);
      } else if (auto rel = Handle(StepRepr_ShapeAspectRelationship)::DownCast(user)) {
        // A composite aspect relates to each of its components.
        if (rel->RelatingShapeAspect() == aspect &&
            !rel->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation)))
          ShapesOf(rel->RelatedShapeAspect(), out, depth + 1, visited);
      }
    }
  }

  static KROStepVec Vec(const gp_XYZ& v) { return {v.X(), v.Y(), v.Z()}; }

  /// Three coordinates of a point or direction, or none when it has fewer or a non-finite one.
  static std::optional<gp_XYZ> Coordinates(const Handle(TColStd_HArray1OfReal) & c) {
    if (c.IsNull() || c->Length() < 3) return std::nullopt;
    const gp_XYZ v(c->Value(c->Lower()), c->Value(c->Lower() + 1), c->Value(c->Lower() + 2));
    if (!std::isfinite(v.X()) || !std::isfinite(v.Y()) || !std::isfinite(v.Z()))
      return std::nullopt;
    return v;
  }

  /// The unit factor of a representation's context (lengths in the document's unit), or 1.
  double ContextFactor(const Transient& context) const {
    Handle(StepRepr_GlobalUnitAssignedContext) units =
        Handle(StepRepr_GlobalUnitAssignedContext)::DownCast(context);
    if (auto c = Handle(StepGeom_GeomRepContextAndGlobUnitAssCtxAndGlobUncertaintyAssCtx)::DownCast(
            context))
      units = c->GlobalUnitAssignedContext();
    STEPConstruct_UnitContext unit;
    if (units.IsNull() || unit.ComputeFactors(units) != 0 || !(unit.LengthFactor() > 0)) return 1;
    return unit.LengthFactor() / localUnit_;
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
    for (Interface_EntityIterator it = graph_->Sharings(camera); it.More() && !found; it.Next())
      found = ItemsOfModelHolding(it.Value(), camera, items, factor);
    if (!found) return Skip(camera, "camera model in no draughting model");

    c.origin = Vec(frame.Location().XYZ() * factor);
    c.direction = Vec(frame.Direction().XYZ());
    c.zenith = Vec(frame.YDirection().XYZ());
    c.cameraType = volume->ProjectionType() == StepVisual_copCentral ? KROStepCameraCentral
                                                                     : KROStepCameraParallel;
    c.clipping = (volume->FrontPlaneClipping() ? KROStepClipFront : 0) |
                 (volume->BackPlaneClipping() ? KROStepClipBack : 0) |
                 (volume->ViewVolumeSidesClipping() ? KROStepClipSides : 0);
    ReadShown(items, c.shows);
    facts_.cameras.push_back(std::move(c));
  }

  /// When `model` is a representation listing `camera` among its items: its items and the length
  /// factor of its context.
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
      list = ParamList(rep, 2);
      context = ParamEntity(rep, 3);
    }
    if (std::find(list.begin(), list.end(), camera) == list.end()) return false;
    items.insert(list.begin(), list.end());
    factor = ContextFactor(context);
    return true;
  }

  /// The semantic PMI that the draughting model's presentations stand for.
  void ReadShown(const std::set<Transient>& items, std::vector<KROStepFileShown>& out) {
    if (links_.empty())
      for (int i = 1; i <= model_->NbEntities(); ++i)
        if (auto link =
                Handle(StepAP242_DraughtingModelItemAssociation)::DownCast(model_->Value(i)))
          links_.push_back(link);
    std::set<int> seen;
    for (const Handle(StepAP242_DraughtingModelItemAssociation) & link : links_) {
      if (link->IdentifiedItem().IsNull()) continue;
      bool shown = false;
      for (int k = 1; k <= link->NbIdentifiedItem() && !shown; ++k)
        shown = items.count(link->IdentifiedItemValue(k)) > 0;
      const Transient definition = link->Definition().Value();
      if (!shown || definition.IsNull() || !seen.insert(Id(definition)).second) continue;
      KROStepFileShown s;
      s.entity = Id(definition);
      if (IsTolerance(definition)) {
        s.kind = KROStepFileShown::Kind::Tolerance;
      } else if (definition->IsKind(STANDARD_TYPE(StepShape_DimensionalSize)) ||
                 definition->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation))) {
        s.kind = KROStepFileShown::Kind::Dimension;
        std::set<const Standard_Transient*> visited;
        ShapesOf(definition, s.faces, 0, visited);
        s.value = NominalOf(definition);
      } else if (!DatumOf(definition, s)) {
        continue; // a presentation of a shape aspect, not of an annotation
      }
      out.push_back(std::move(s));
    }
  }

  /// A dimension's nominal value: the item named so in its characteristic representation.
  std::optional<double> NominalOf(const Transient& dimension) const {
    for (Interface_EntityIterator it = graph_->Sharings(dimension); it.More(); it.Next()) {
      auto dcr = Handle(StepShape_DimensionalCharacteristicRepresentation)::DownCast(it.Value());
      if (dcr.IsNull() || dcr->Dimension().Value() != dimension || dcr->Representation().IsNull())
        continue;
      Handle(StepRepr_Representation) rep = dcr->Representation();
      for (int i = 1; !rep->Items().IsNull() && i <= rep->NbItems(); ++i) {
        Handle(StepRepr_RepresentationItem) item = rep->ItemsValue(i);
        if (!item.IsNull() && Ascii(item->Name()) == "nominal value") return Length(item);
      }
    }
    return std::nullopt;
  }

  /// A datum feature or datum target: the letter of the datum it establishes.
  bool DatumOf(const Transient& feature, KROStepFileShown& s) const {
    if (auto target = Handle(StepDimTol_DatumTarget)::DownCast(feature)) {
      const std::string id = Ascii(target->TargetId());
      s.targetNumber = std::atoi(id.c_str());
    } else if (!feature->IsKind(STANDARD_TYPE(StepRepr_ShapeAspect))) {
      return false;
    }
    for (Interface_EntityIterator it = graph_->Sharings(feature); it.More(); it.Next()) {
      auto rel = Handle(StepRepr_ShapeAspectRelationship)::DownCast(it.Value());
      if (rel.IsNull() || rel->RelatingShapeAspect() != feature) continue;
      if (auto datum = Handle(StepDimTol_Datum)::DownCast(rel->RelatedShapeAspect())) {
        s.kind = KROStepFileShown::Kind::Datum;
        s.letter = Ascii(datum->Identification());
        return true;
      }
    }
    return false;
  }

  Handle(XSControl_WorkSession) ws_;
  KROStepFileFacts& facts_;
  Handle(StepData_StepModel) model_;
  Handle(Transfer_TransientProcess) process_;
  const Interface_Graph* graph_ = nullptr;
  double localUnit_ = 1;
  std::vector<Handle(StepAP242_DraughtingModelItemAssociation)> links_;
};

bool SameValue(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

std::vector<int> TagsOf(const std::vector<TopoDS_Shape>& shapes, const KROStepTagLookup& tagOf,
                        int* part) {
  std::vector<int> tags;
  for (const TopoDS_Shape& s : shapes) {
    const auto [p, tag] = tagOf(s);
    if (tag <= 0) continue;
    if (part && *part < 0) *part = p;
    tags.push_back(tag);
  }
  std::sort(tags.begin(), tags.end());
  tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
  return tags;
}

std::vector<int> ObjectTags(const KROStepPmi& pmi, const KROStepObject& o) {
  std::vector<int> tags;
  for (int s : o.shapes) {
    const auto& t = pmi.shapes[static_cast<std::size_t>(s)].tags;
    tags.insert(tags.end(), t.begin(), t.end());
  }
  std::sort(tags.begin(), tags.end());
  tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
  return tags;
}

class KROStepRecoverer {
public:
  KROStepRecoverer(const KROStepFileFacts& facts, const KROStepTagLookup& tagOf, KROStepPmi& pmi)
      : facts_(facts), tagOf_(tagOf), pmi_(pmi) {}

  void Run() {
    pmi_.messages.insert(pmi_.messages.end(), facts_.messages.begin(), facts_.messages.end());
    MatchTolerances();
    readViews_ = pmi_.views.size();
    viewTaken_.assign(readViews_, false);
    for (const KROStepFileCamera& c : facts_.cameras)
      if (!MatchView(c)) RecoverView(c);
  }

private:
  // Passes, each over the file tolerances still unmatched: 1 asks for the same name and value;
  // 2 for the value under any name (OCCT names an unnamed entity itself); 3 for the same name
  // under any value and 4 for the same faces (where OCCT converted a value otherwise). A file
  // tolerance is recovered only when no pass finds an XCAF tolerance left for it.
  void MatchTolerances() {
    std::vector<bool> done(facts_.tolerances.size(), false);
    for (int pass = 1; pass <= 4; ++pass)
      for (std::size_t i = 0; i < facts_.tolerances.size(); ++i)
        if (!done[i]) done[i] = Match(facts_.tolerances[i], pass);
    for (std::size_t i = 0; i < facts_.tolerances.size(); ++i)
      if (!done[i]) RecoverTolerance(facts_.tolerances[i]);
  }

  bool Match(const KROStepFileTolerance& t, int pass) {
    const std::uint16_t type = KROStepToleranceType(t.type);
    const bool lost = !t.magnitudeProblem.empty() || !t.value;
    const std::vector<int> tags = TagsOf(t.shapes, tagOf_, nullptr);
    if (pass == 4 && tags.empty()) return false;
    int best = -1;
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i) {
      const KROStepObject& o = pmi_.objects[i];
      if (o.kind != KROStepAnnotation::Kind::Tolerance || o.fileEntity != 0 || o.type != type)
        continue;
      if ((pass == 1 || pass == 3) && o.name != t.name) continue;
      if (pass <= 2 && (lost ? o.value != 0 : !SameValue(o.value, *t.value))) continue;
      const bool sameFaces = ObjectTags(pmi_, o) == tags;
      if (pass == 4 && !sameFaces) continue;
      if (best < 0) best = static_cast<int>(i);
      if (sameFaces) {
        best = static_cast<int>(i);
        break;
      }
    }
    if (best < 0) return false;
    objectOfEntity_[t.entity] = best;
    KROStepObject& o = pmi_.objects[static_cast<std::size_t>(best)];
    o.fileEntity = t.entity;
    if (!t.magnitudeProblem.empty() && t.value && *t.value != 0 && o.value == 0) {
      o.value = *t.value;
      o.recovered = "magnitude";
      o.recoveryReason = t.magnitudeProblem;
      o.text = ToleranceText(t, o.text);
    }
    return true;
  }

  /// The text of a tolerance OCCT read without its magnitude: its own text with the value.
  std::string ToleranceText(const KROStepFileTolerance& t, const std::string& readText) const {
    Handle(XCAFDimTolObjects_GeomToleranceObject) made = new XCAFDimTolObjects_GeomToleranceObject;
    made->SetType(t.type);
    made->SetValue(t.value.value_or(0));
    if (t.diameterZone) made->SetTypeOfValue(XCAFDimTolObjects_GeomToleranceTypeValue_Diameter);
    std::string text = KROStepToleranceText(*made);
    const std::size_t datums = readText.find(" | ");
    if (datums != std::string::npos) text += readText.substr(datums);
    return WithoutColons(text);
  }

  void RecoverTolerance(const KROStepFileTolerance& t) {
    const std::vector<int> tags = TagsOf(t.shapes, tagOf_, nullptr);
    KROStepObject o;
    o.kind = KROStepAnnotation::Kind::Tolerance;
    o.type = KROStepToleranceType(t.type);
    o.name = t.name.empty() || t.name.rfind("DGT:", 0) == 0 ? std::string("tolerance") : t.name;
    o.value = t.value.value_or(0);
    o.recovered = "tolerance";
    o.recoveryReason = !t.problem.empty() ? t.problem : "not transferred";
    o.fileEntity = t.entity;
    o.text = ToleranceText(t, std::string());
    if (!tags.empty()) {
      KROStepShape shape;
      shape.label = "#" + std::to_string(t.entity);
      TagsOf(t.shapes, tagOf_, &shape.part);
      shape.tags = tags;
      o.shapes.push_back(static_cast<int>(pmi_.shapes.size()));
      pmi_.shapes.push_back(std::move(shape));
    } else {
      pmi_.messages.push_back(
          {KROStepMessage::Severity::Warning, "recovered tolerance #" + std::to_string(t.entity) +
                                                  " touches no face or edge of a part"});
    }
    for (const std::string& letter : t.datums) {
      const int feature = DatumFeature(letter);
      if (feature < 0) {
        pmi_.messages.push_back({KROStepMessage::Severity::Warning,
                                 "recovered tolerance #" + std::to_string(t.entity) +
                                     " names datum " + letter + ", which the model lacks"});
        continue;
      }
      o.datums.push_back({feature, letter});
      o.text += " | " + WithoutColons(letter);
    }
    objectOfEntity_[t.entity] = static_cast<int>(pmi_.objects.size());
    pmi_.objects.push_back(std::move(o));
  }

  int DatumFeature(const std::string& letter, int targetNumber = 0) const {
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i) {
      const KROStepObject& o = pmi_.objects[i];
      const bool datum = o.kind == KROStepAnnotation::Kind::Datum ||
                         o.kind == KROStepAnnotation::Kind::DatumTarget;
      if (datum && !letter.empty() && o.datumLetter == letter && o.targetNumber == targetNumber)
        return static_cast<int>(i);
    }
    return -1;
  }

  bool MatchView(const KROStepFileCamera& c) {
    for (std::size_t i = 0; i < readViews_; ++i) {
      const KROStepSavedView& v = pmi_.views[i];
      if (viewTaken_[i] || v.name != c.name) continue;
      double dot = 0;
      for (int k = 0; k < 3; ++k)
        dot += v.direction[static_cast<std::size_t>(k)] * c.direction[static_cast<std::size_t>(k)];
      if (dot > 1 - 1e-6) {
        viewTaken_[i] = true;
        return true;
      }
    }
    return false;
  }

  void RecoverView(const KROStepFileCamera& c) {
    KROStepSavedView v;
    v.name = c.name;
    v.origin = c.origin;
    v.direction = c.direction;
    v.zenith = c.zenith;
    v.target = KROStepNearestOnLine(c.origin, c.direction, pmi_.center);
    v.cameraType = c.cameraType;
    v.clipping = c.clipping;
    v.recovered = true;
    v.recoveryReason = c.problem.empty() ? "not transferred" : c.problem;
    v.fileEntity = c.entity;
    std::vector<bool> usedDimension(pmi_.objects.size(), false);
    for (const KROStepFileShown& s : c.shows) {
      int object = -1;
      switch (s.kind) {
      case KROStepFileShown::Kind::Tolerance: {
        auto it = objectOfEntity_.find(s.entity);
        object = it == objectOfEntity_.end() ? -1 : it->second;
        break;
      }
      case KROStepFileShown::Kind::Datum:
        object = DatumFeature(s.letter, s.targetNumber);
        break;
      case KROStepFileShown::Kind::Dimension:
        object = Dimension(TagsOf(s.faces, tagOf_, nullptr), s.value, usedDimension);
        break;
      }
      if (object >= 0 && std::find(v.objects.begin(), v.objects.end(), object) == v.objects.end())
        v.objects.push_back(object);
    }
    pmi_.views.push_back(std::move(v));
  }

  /// The first dimension not yet taken that applies to exactly these faces and edges; where
  /// they are none, the first that applies to none and has the same nominal value.
  int Dimension(const std::vector<int>& tags, const std::optional<double>& value,
                std::vector<bool>& used) const {
    if (tags.empty() && !value) return -1;
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i) {
      const KROStepObject& o = pmi_.objects[i];
      if (o.kind != KROStepAnnotation::Kind::Dimension || used[i]) continue;
      if (ObjectTags(pmi_, o) != tags) continue;
      if (tags.empty() && !SameValue(o.value, *value)) continue;
      used[i] = true;
      return static_cast<int>(i);
    }
    return -1;
  }

  const KROStepFileFacts& facts_;
  const KROStepTagLookup& tagOf_;
  KROStepPmi& pmi_;
  std::map<int, int> objectOfEntity_;
  std::size_t readViews_ = 0;   ///< the views OCCT read come first in pmi_.views
  std::vector<bool> viewTaken_; ///< per view OCCT read: matched by a camera model
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

void KROStepToDocumentUnit(const KROStepFileFacts& facts, KROStepPmi& pmi) {
#if OCC_VERSION_HEX >= 0x070600 && OCC_VERSION_HEX < 0x070700
  const double k = facts.lengthFactor;
  if (!(k > 0) || !std::isfinite(k) || k == 1) return;
  auto scale = [k](KROStepVec& p) {
    for (double& c : p)
      c *= k;
  };
  for (KROStepObject& o : pmi.objects) {
    if (o.plane) scale(o.plane->origin);
    for (std::vector<KROStepVec>& line : o.graphic)
      for (KROStepVec& p : line)
        scale(p);
  }
  for (KROStepSavedView& v : pmi.views) {
    scale(v.origin);
    v.target = KROStepNearestOnLine(v.origin, v.direction, pmi.center);
  }
#else
  (void)facts;
  (void)pmi;
#endif
}

void KROStepReadFileFacts(const Handle(XSControl_WorkSession) & ws, KROStepFileFacts& facts) {
  if (ws.IsNull()) return;
  KROStepFactReader(ws, facts).Read();
}

void KROStepRecover(const KROStepFileFacts& facts, const KROStepTagLookup& tagOf, KROStepPmi& pmi) {
  KROStepRecoverer(facts, tagOf, pmi).Run();
}

std::string KROStepFindAspectCycle(const Handle(XSControl_WorkSession) & ws) {
  Handle(StepData_StepModel) model = Handle(StepData_StepModel)::DownCast(ws->Model());
  if (model.IsNull()) return {};
  // Relating aspect → related aspects, by model number.
  std::map<int, std::vector<int>> next;
  for (int i = 1; i <= model->NbEntities(); ++i) {
    auto rel = Handle(StepRepr_ShapeAspectRelationship)::DownCast(model->Value(i));
    // A dimensional location relates two features it measures between; two of them in opposite
    // directions are no cycle of composition, and OCCT's transfer does not follow them.
    if (rel.IsNull() || rel->IsKind(STANDARD_TYPE(StepShape_DimensionalLocation)) ||
        rel->RelatingShapeAspect().IsNull() || rel->RelatedShapeAspect().IsNull())
      continue;
    next[model->Number(rel->RelatingShapeAspect())].push_back(
        model->Number(rel->RelatedShapeAspect()));
  }
  // Depth-first, with an explicit stack: 1 = on the current path, 2 = done.
  std::map<int, int> state;
  for (const auto& start : next) {
    if (state[start.first] != 0) continue;
    std::vector<std::pair<int, std::size_t>> path{{start.first, 0}};
    state[start.first] = 1;
    while (!path.empty()) {
      auto& [node, edge] = path.back();
      auto it = next.find(node);
      if (it == next.end() || edge >= it->second.size()) {
        state[node] = 2;
        path.pop_back();
        continue;
      }
      const int to = it->second[edge++];
      if (state[to] == 1) {
        std::string cycle;
        bool on = false;
        for (const auto& [n, e] : path) {
          on = on || n == to;
          if (on) cycle += "#" + std::to_string(model->IdentLabel(model->Value(n))) + " → ";
        }
        return cycle + "#" + std::to_string(model->IdentLabel(model->Value(to)));
      }
      if (state[to] == 0) {
        state[to] = 1;
        path.push_back({to, 0});
      }
    }
  }
  return {};
}
