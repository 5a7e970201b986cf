// KROStepReader.cpp - OCCT's side of the import: reading the file and walking its XCAF document.
///
/// Everything that touches OCCT runs inside KROStepOcctScope: it takes the process-wide import
/// lock, routes OCCT's messenger into the import's messages and restores it afterwards. Every
/// OCCT call is made inside a try block that turns Standard_Failure into an error message.
/// Each of those blocks also opens with OCC_CATCH_SIGNALS: in the worker process, where OCCT's
/// signal handling is on, an access violation inside a pass lands in that pass's catch and
/// costs the pass only; in a host process, which never turns that handling on, it does nothing.
#include "KROStepFactReader.h"
#include "KROStepGeometry.h"
#include "KROStepImport.h"
#include "KROStepMatch.h"
#include "KROStepOcctTypes.h"
#include "KROStepPmi.h"
#include "KROStepTexts.h"

#include <BRepBndLib.hxx>
#include <Bnd_Box.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Check.hxx>
#include <Interface_CheckIterator.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_ErrorHandler.hxx>
#include <Standard_Failure.hxx>
#include <Standard_Version.hxx>
#include <StepData_StepModel.hxx>
#include <StepRepr_ShapeAspect.hxx>
#include <StepRepr_ShapeAspectRelationship.hxx>
#include <StepShape_DimensionalLocation.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS_Shape.hxx>
#include <Transfer_TransientProcess.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDimTolObjects_DatumObject.hxx>
#include <XCAFDimTolObjects_DimensionObject.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>
#include <XCAFDoc_Datum.hxx>
#include <XCAFDoc_DimTolTool.hxx>
#include <XCAFDoc_Dimension.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_GeomTolerance.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XCAFDoc_View.hxx>
#include <XCAFDoc_ViewTool.hxx>
#include <XCAFView_Object.hxx>
#include <XSControl_Reader.hxx>
#include <XSControl_TransferReader.hxx>
#include <XSControl_WorkSession.hxx>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <system_error>
#include <unordered_map>

namespace {

std::mutex& ImportLock() {
  static std::mutex lock;
  return lock;
}

/// Collects OCCT's messages for one import.
class KROStepMessageSink : public Message_Printer {
public:
  explicit KROStepMessageSink(std::vector<KROStepMessage>& out) : out_(out) {}

protected:
  void send(const TCollection_AsciiString& text, const Message_Gravity gravity) const override {
    if (gravity < Message_Warning || out_.size() >= kMaxMessages) return;
    KROStepMessage m;
    m.severity = gravity >= Message_Fail ? KROStepMessage::Severity::Error
                                         : KROStepMessage::Severity::Warning;
    m.text = std::string("OCCT: ") + text.ToCString();
    try {
      out_.push_back(std::move(m));
    } catch (...) {
    }
  }

private:
  static constexpr std::size_t kMaxMessages = 1000;
  std::vector<KROStepMessage>& out_;
};

/// While alive: the import lock is held and OCCT's default messenger prints only to `out`.
class KROStepOcctScope {
public:
  explicit KROStepOcctScope(std::vector<KROStepMessage>& out) : guard_(ImportLock()) {
    messenger_ = Message::DefaultMessenger();
    if (messenger_.IsNull()) return;
    saved_ = messenger_->Printers();
    messenger_->ChangePrinters().Clear();
    messenger_->AddPrinter(new KROStepMessageSink(out));
  }
  ~KROStepOcctScope() {
    if (messenger_.IsNull()) return;
    messenger_->ChangePrinters().Clear();
    for (const Handle(Message_Printer) & p : saved_)
      messenger_->AddPrinter(p);
  }
  KROStepOcctScope(const KROStepOcctScope&) = delete;
  KROStepOcctScope& operator=(const KROStepOcctScope&) = delete;

private:
  std::lock_guard<std::mutex> guard_;
  Handle(Message_Messenger) messenger_;
  Message_SequenceOfPrinters saved_;
};

void AddMessage(std::vector<KROStepMessage>& out, KROStepMessage::Severity s, std::string text) {
  try {
    out.push_back({s, std::move(text)});
  } catch (...) {
  }
}

std::string FailureText(const Standard_Failure& f) {
  const char* what = f.GetMessageString();
  std::string s = f.DynamicType()->Name();
  if (what && *what) s += std::string(": ") + what;
  return s;
}

std::string Entry(const TDF_Label& label) {
  TCollection_AsciiString s;
  TDF_Tool::Entry(label, s);
  return s.ToCString();
}

std::string LabelName(const TDF_Label& label) {
  Handle(TDataStd_Name) name;
  if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
  return KROStepToUtf8(name->Get());
}

std::string Ascii(const Handle(TCollection_HAsciiString) & s) {
  return s.IsNull() ? std::string() : std::string(s->ToCString());
}

KROStepVec Vec(double x, double y, double z) { return {x, y, z}; }

/// A part definition with the maps that give its faces and edges their positions.
struct PartMaps {
  TDF_Label label;
  TopTools_IndexedMapOfShape faces;
  TopTools_IndexedMapOfShape edges;
  int firstFaceTag = 0;
  int firstEdgeTag = 0;
};

/// The parts of a document in tag order: top-level simple shapes in the shape tool's order, each
/// with its faces then its edges. Tags count from 1 across the parts in that order.
std::vector<PartMaps> MapParts(const Handle(XCAFDoc_ShapeTool) & shapes) {
  std::vector<PartMaps> parts;
  TDF_LabelSequence labels;
  shapes->GetShapes(labels);
  int next = 1;
  for (const TDF_Label& label : labels) {
    if (shapes->IsAssembly(label)) continue;
    TopoDS_Shape shape = shapes->GetShape(label);
    if (shape.IsNull()) continue;
    PartMaps maps;
    maps.label = label;
    TopExp::MapShapes(shape, TopAbs_FACE, maps.faces);
    TopExp::MapShapes(shape, TopAbs_EDGE, maps.edges);
    maps.firstFaceTag = next;
    next += maps.faces.Extent();
    maps.firstEdgeTag = next;
    next += maps.edges.Extent();
    parts.push_back(std::move(maps));
  }
  return parts;
}

/// (part, tag) of a face or edge by its underlying shape, whatever its location (the file's
/// transfer and the document may place the same face differently).
class KROStepTagIndex {
public:
  explicit KROStepTagIndex(const std::vector<PartMaps>& parts) {
    for (std::size_t p = 0; p < parts.size(); ++p) {
      const PartMaps& m = parts[p];
      for (int i = 1; i <= m.faces.Extent(); ++i)
        byShape_.emplace(m.faces(i).TShape().get(),
                         std::make_pair(static_cast<int>(p), m.firstFaceTag + i - 1));
      for (int i = 1; i <= m.edges.Extent(); ++i)
        byShape_.emplace(m.edges(i).TShape().get(),
                         std::make_pair(static_cast<int>(p), m.firstEdgeTag + i - 1));
      faceRanges_.emplace_back(m.firstFaceTag, m.firstFaceTag + m.faces.Extent());
    }
  }
  std::pair<int, int> operator()(const TopoDS_Shape& s) const {
    auto it = s.IsNull() ? byShape_.end() : byShape_.find(s.TShape().get());
    return it == byShape_.end() ? std::make_pair(-1, 0) : it->second;
  }
  bool IsFace(int tag) const {
    for (const auto& [first, end] : faceRanges_)
      if (tag >= first && tag < end) return true;
    return false;
  }

private:
  std::unordered_map<const TopoDS_TShape*, std::pair<int, int>> byShape_;
  std::vector<std::pair<int, int>> faceRanges_;
};

/// Walks one XCAF document into plain PMI.
class KROStepWalker {
public:
  KROStepWalker(const Handle(TDocStd_Document) & doc, KROStepPmi& pmi, bool mesh)
      : mesh_(mesh), pmi_(pmi), shapes_(XCAFDoc_DocumentTool::ShapeTool(doc->Main())),
        dimTols_(XCAFDoc_DocumentTool::DimTolTool(doc->Main())),
        views_(XCAFDoc_DocumentTool::ViewTool(doc->Main())) {}

  void Walk() {
    WalkParts();
    WalkDimensions();
    WalkTolerances();
    WalkDatums();
    ResolveDatumSystems();
    WalkSavedViews();
  }

private:
  // Tags: faces then edges of each part, parts in the order of the shape tool's top-level labels.
  void WalkParts() {
    Bnd_Box box;
    for (PartMaps& maps : MapParts(shapes_)) {
      const TDF_Label label = maps.label;
      TopoDS_Shape shape = shapes_->GetShape(label);
      KROStepPart part;
      part.name = LabelName(label);
      part.label = Entry(label);
      part.faceCount = maps.faces.Extent();
      part.edgeCount = maps.edges.Extent();
      const int partIndex = static_cast<int>(pmi_.parts.size());
      for (int i = 1; i <= maps.faces.Extent(); ++i)
        AddTag(partIndex, KROStepTag::Kind::Face, i, label, maps.faces(i),
               maps.firstFaceTag + i - 1);
      for (int i = 1; i <= maps.edges.Extent(); ++i)
        AddTag(partIndex, KROStepTag::Kind::Edge, i, label, maps.edges(i),
               maps.firstEdgeTag + i - 1);
      if (mesh_)
        KROStepPartGeometry(shape, maps.faces, maps.edges, maps.firstFaceTag, maps.firstEdgeTag,
                            pmi_.geometry, pmi_.messages);
      // From the geometry, not from a mesh: the same box whether the read meshes or not. OCCT's
      // quick bound, without the tolerance margin; it is exact on planes and quadrics and may
      // stand a little off a free-form surface (the tightest bound takes a second on a large
      // part).
      Bnd_Box partBox;
      BRepBndLib::Add(shape, partBox, false);
      partBox.SetGap(0);
      if (!partBox.IsVoid()) {
        double x0, y0, z0, x1, y1, z1;
        partBox.Get(x0, y0, z0, x1, y1, z1);
        if (std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1) &&
            std::isfinite(z0) && std::isfinite(z1)) {
          part.box = KROStepBox{{x0, y0, z0}, {x1, y1, z1}};
          box.Add(partBox);
        }
      }
      pmi_.parts.push_back(std::move(part));
      partIndex_[label] = partIndex;
      parts_.push_back(std::move(maps));
    }
    if (!box.IsVoid()) {
      double x0, y0, z0, x1, y1, z1;
      box.Get(x0, y0, z0, x1, y1, z1);
      center_ = Vec((x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2);
      pmi_.center = center_;
      const double size = std::sqrt(box.SquareExtent());
      if (size > 0 && std::isfinite(size)) pmi_.partSize = size;
    }
  }

  void AddTag(int part, KROStepTag::Kind kind, int subIndex, const TDF_Label& partLabel,
              const TopoDS_Shape& sub, int tag) {
    KROStepTag t;
    t.tag = tag;
    t.part = part;
    t.kind = kind;
    t.subIndex = subIndex;
    TDF_Label subLabel;
    if (shapes_->FindSubShape(partLabel, sub, subLabel)) t.subShapeLabel = Entry(subLabel);
    pmi_.tags.push_back(std::move(t));
  }

  /// The part whose label holds `label` (itself, or one of its sub-shape labels), or -1.
  int OwningPart(TDF_Label label) const {
    const TDF_Label root = shapes_->Label();
    TDF_Label referred;
    if (XCAFDoc_ShapeTool::GetReferredShape(label, referred)) label = referred;
    while (!label.IsNull() && !label.IsRoot()) {
      auto it = partIndex_.find(label);
      if (it != partIndex_.end()) return it->second;
      if (label.Father() == root) break;
      label = label.Father();
    }
    return -1;
  }

  int TagOf(const PartMaps& part, const TopoDS_Shape& sub) const {
    if (sub.ShapeType() == TopAbs_FACE) {
      const int i = part.faces.FindIndex(sub);
      return i > 0 ? part.firstFaceTag + i - 1 : 0;
    }
    const int i = part.edges.FindIndex(sub);
    return i > 0 ? part.firstEdgeTag + i - 1 : 0;
  }

  /// Index into pmi_.shapes of the shape at `label`, made on first sight.
  int ShapeOf(const TDF_Label& label) {
    auto it = shapeIndex_.find(label);
    if (it != shapeIndex_.end()) return it->second;
    KROStepShape s;
    s.label = Entry(label);
    s.part = OwningPart(label);
    TopoDS_Shape shape = shapes_->GetShape(label);
    TDF_Label referred;
    if (XCAFDoc_ShapeTool::GetReferredShape(label, referred)) shape = shapes_->GetShape(referred);
    if (!shape.IsNull() && s.part >= 0) {
      const PartMaps& part = parts_[static_cast<std::size_t>(s.part)];
      TopTools_IndexedMapOfShape pieces;
      KROStepFacesOrEdges(shape, pieces);
      for (int i = 1; i <= pieces.Extent(); ++i) {
        const int tag = TagOf(part, pieces(i));
        if (tag > 0) s.tags.push_back(tag);
      }
      std::sort(s.tags.begin(), s.tags.end());
      s.tags.erase(std::unique(s.tags.begin(), s.tags.end()), s.tags.end());
    }
    if (s.tags.empty())
      AddMessage(pmi_.messages, KROStepMessage::Severity::Warning,
                 "shape " + s.label + " has no face or edge in a part; PMI on it touches no tag");
    const int index = static_cast<int>(pmi_.shapes.size());
    pmi_.shapes.push_back(std::move(s));
    shapeIndex_[label] = index;
    return index;
  }

  void AddShapes(KROStepObject& object, const TDF_LabelSequence& labels) {
    for (const TDF_Label& l : labels) {
      const int s = ShapeOf(l);
      if (std::find(object.shapes.begin(), object.shapes.end(), s) == object.shapes.end())
        object.shapes.push_back(s);
    }
  }

  void AddRefShapes(KROStepObject& object, const TDF_Label& label) {
    TDF_LabelSequence first, second;
    dimTols_->GetRefShapeLabel(label, first, second);
    AddShapes(object, first);
    AddShapes(object, second);
  }

  static std::optional<KROStepPlane> PlaneOf(bool has, const gp_Ax2& ax) {
    if (!has) return std::nullopt;
    KROStepPlane p;
    p.origin = Vec(ax.Location().X(), ax.Location().Y(), ax.Location().Z());
    p.normal = Vec(ax.Direction().X(), ax.Direction().Y(), ax.Direction().Z());
    p.xDirection = Vec(ax.XDirection().X(), ax.XDirection().Y(), ax.XDirection().Z());
    return p;
  }

  // OCCT names the objects whose file entity has no name "DGT:<kind>": those are not the
  // file's names, so they give way to the fallback.
  static std::string FileName(std::string name) {
    return name.rfind("DGT:", 0) == 0 ? std::string() : name;
  }

  std::string NameOr(const Handle(TCollection_HAsciiString) & semantic, const TDF_Label& label,
                     const std::string& fallback) const {
    std::string name = FileName(Ascii(semantic));
    if (name.empty()) name = FileName(LabelName(label));
    if (name.empty()) name = fallback;
    return name;
  }

  void WalkDimensions() {
    TDF_LabelSequence labels;
    dimTols_->GetDimensionLabels(labels);
    for (const TDF_Label& label : labels) {
      Handle(XCAFDoc_Dimension) attr;
      if (!label.FindAttribute(XCAFDoc_Dimension::GetID(), attr)) continue;
      Handle(XCAFDimTolObjects_DimensionObject) dim = attr->GetObject();
      if (dim.IsNull()) continue;
      KROStepObject o;
      o.kind = KROStepAnnotation::Kind::Dimension;
      o.type = KROStepDimensionType(dim->GetType());
      o.name = NameOr(dim->GetSemanticName(), label, "dimension");
      o.value = dim->GetValue();
      o.text = KROStepDimensionText(*dim);
      o.labels.push_back(Entry(label));
      o.plane = PlaneOf(dim->HasPlane(), dim->GetPlane());
      KROStepPresentationLines(dim->GetPresentation(), o.graphic, pmi_.messages);
      AddRefShapes(o, label);
      objectOfLabel_[label] = static_cast<int>(pmi_.objects.size());
      pmi_.objects.push_back(std::move(o));
    }
  }

  void WalkTolerances() {
    TDF_LabelSequence labels;
    dimTols_->GetGeomToleranceLabels(labels);
    for (const TDF_Label& label : labels) {
      Handle(XCAFDoc_GeomTolerance) attr;
      if (!label.FindAttribute(XCAFDoc_GeomTolerance::GetID(), attr)) continue;
      Handle(XCAFDimTolObjects_GeomToleranceObject) tol = attr->GetObject();
      if (tol.IsNull()) continue;
      KROStepObject o;
      o.kind = KROStepAnnotation::Kind::Tolerance;
      o.type = KROStepToleranceType(tol->GetType());
      o.name = NameOr(tol->GetSemanticName(), label, "tolerance");
      o.value = tol->GetValue();
      o.text = KROStepToleranceText(*tol); // the datum system is appended once resolved
      o.labels.push_back(Entry(label));
      o.plane = PlaneOf(tol->HasPlane(), tol->GetPlane());
      KROStepPresentationLines(tol->GetPresentation(), o.graphic, pmi_.messages);
      AddRefShapes(o, label);
      objectOfLabel_[label] = static_cast<int>(pmi_.objects.size());
      tolerances_.push_back({static_cast<int>(pmi_.objects.size()), label});
      pmi_.objects.push_back(std::move(o));
    }
  }

  // OCCT makes a datum label for every reference a tolerance makes to a datum; labels with the
  // same letter (and, for a target, the same number) are one datum feature.
  void WalkDatums() {
    TDF_LabelSequence labels;
    dimTols_->GetDatumLabels(labels);
    std::map<std::string, int> featureOfKey;
    for (const TDF_Label& label : labels) {
      Handle(XCAFDoc_Datum) attr;
      if (!label.FindAttribute(XCAFDoc_Datum::GetID(), attr)) continue;
      Handle(XCAFDimTolObjects_DatumObject) datum = attr->GetObject();
      if (datum.IsNull()) continue;
      const std::string letter = Ascii(datum->GetName());
      const bool target = datum->IsDatumTarget();
      const int number = target ? datum->GetDatumTargetNumber() : 0;
      // A datum without a letter cannot be matched with another: it stands alone.
      const std::string key = letter.empty()
                                  ? "#" + Entry(label)
                                  : letter + (target ? "/" + std::to_string(number) : "");
      auto it = featureOfKey.find(key);
      int index;
      if (it == featureOfKey.end()) {
        KROStepObject o;
        o.kind = target ? KROStepAnnotation::Kind::DatumTarget : KROStepAnnotation::Kind::Datum;
        o.type = target ? KROStepTypeDatumTarget : KROStepTypeDatumFeature;
        o.datumLetter = letter;
        o.targetNumber = number;
        o.text = WithoutColons(target ? "datum target " + letter + std::to_string(number)
                                      : "datum " + letter);
        o.name = NameOr(datum->GetSemanticName(), label, o.text);
        index = static_cast<int>(pmi_.objects.size());
        featureOfKey.emplace(key, index);
        pmi_.objects.push_back(std::move(o));
      } else {
        index = it->second;
      }
      KROStepObject& o = pmi_.objects[static_cast<std::size_t>(index)];
      o.labels.push_back(Entry(label));
      if (!o.plane) o.plane = PlaneOf(datum->HasPlane(), datum->GetPlane());
      KROStepPresentationLines(datum->GetPresentation(), o.graphic, pmi_.messages);
      AddRefShapes(o, label);
      objectOfLabel_[label] = index;
    }
  }

  // A tolerance's datum system: its datum objects ordered by their position in the system.
  void ResolveDatumSystems() {
    for (const auto& [index, label] : tolerances_) {
      TDF_LabelSequence datums;
      dimTols_->GetDatumWithObjectOfTolerLabels(label, datums);
      struct Ref {
        int position;
        int order;
        KROStepDatumRef ref;
      };
      std::vector<Ref> refs;
      for (const TDF_Label& d : datums) {
        Handle(XCAFDoc_Datum) attr;
        if (!d.FindAttribute(XCAFDoc_Datum::GetID(), attr) || attr->GetObject().IsNull()) continue;
        auto feature = objectOfLabel_.find(d);
        if (feature == objectOfLabel_.end()) continue;
        Handle(XCAFDimTolObjects_DatumObject) datum = attr->GetObject();
        refs.push_back({datum->GetPosition(),
                        static_cast<int>(refs.size()),
                        {feature->second, KROStepDatumRefText(*datum)}});
      }
      std::stable_sort(refs.begin(), refs.end(),
                       [](const Ref& a, const Ref& b) { return a.position < b.position; });
      KROStepObject& tol = pmi_.objects[static_cast<std::size_t>(index)];
      for (Ref& r : refs) {
        tol.text += " | " + r.ref.text;
        tol.datums.push_back(std::move(r.ref));
      }
    }
  }

  void WalkSavedViews() {
    if (views_.IsNull()) return;
    TDF_LabelSequence labels;
    views_->GetViewLabels(labels);
    for (const TDF_Label& label : labels) {
      Handle(XCAFDoc_View) attr;
      if (!label.FindAttribute(XCAFDoc_View::GetID(), attr)) continue;
      Handle(XCAFView_Object) view = attr->GetObject();
      if (view.IsNull()) continue;
      KROStepSavedView v;
      v.label = Entry(label);
      v.name = Ascii(view->Name());
      if (v.name.empty()) v.name = LabelName(label);
      const gp_Pnt& o = view->ProjectionPoint();
      const gp_Dir& d = view->ViewDirection();
      const gp_Dir& up = view->UpDirection();
      v.origin = Vec(o.X(), o.Y(), o.Z());
      v.direction = Vec(d.X(), d.Y(), d.Z());
      v.zenith = Vec(up.X(), up.Y(), up.Z());
      // OCCT keeps no target: take the point of the view line nearest the parts' centre.
      v.target = KROStepNearestOnLine(v.origin, v.direction, center_);
      v.cameraType = view->Type() == XCAFView_ProjectionType_Central ? KROStepCameraCentral
                                                                     : KROStepCameraParallel;
      v.clipping = (view->HasFrontPlaneClipping() ? KROStepClipFront : 0) |
                   (view->HasBackPlaneClipping() ? KROStepClipBack : 0) |
                   (view->HasViewVolumeSidesClipping() ? KROStepClipSides : 0);
      TDF_LabelSequence shown;
      views_->GetRefGDTLabel(label, shown);
      for (const TDF_Label& g : shown) {
        auto it = objectOfLabel_.find(g);
        if (it == objectOfLabel_.end()) continue;
        if (std::find(v.objects.begin(), v.objects.end(), it->second) == v.objects.end())
          v.objects.push_back(it->second);
      }
      pmi_.views.push_back(std::move(v));
    }
  }

  struct LabelLess {
    bool operator()(const TDF_Label& a, const TDF_Label& b) const {
      if (a.Depth() != b.Depth()) return a.Depth() < b.Depth();
      return Entry(a) < Entry(b);
    }
  };

  const bool mesh_; ///< mesh the parts for drawing
  KROStepPmi& pmi_;
  Handle(XCAFDoc_ShapeTool) shapes_;
  Handle(XCAFDoc_DimTolTool) dimTols_;
  Handle(XCAFDoc_ViewTool) views_;
  std::vector<PartMaps> parts_;
  std::map<TDF_Label, int, LabelLess> partIndex_;
  std::map<TDF_Label, int, LabelLess> shapeIndex_;
  std::map<TDF_Label, int, LabelLess> objectOfLabel_;
  std::vector<std::pair<int, TDF_Label>> tolerances_;
  KROStepVec center_{};
};

/// The file can be read: it exists, is a regular file, is not empty and opens.
bool CheckFile(const std::string& path, std::vector<KROStepMessage>& messages) {
  auto fail = [&](const std::string& why) {
    AddMessage(messages, KROStepMessage::Severity::Error, path + ": " + why);
    return false;
  };
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec) return fail(ec.message());
  if (!std::filesystem::exists(status)) return fail("No such file or directory");
  if (std::filesystem::is_directory(status)) return fail("is a directory");
  if (!std::filesystem::is_regular_file(status)) return fail("not a regular file");
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return fail(ec.message());
  if (size == 0) return fail("file is empty");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return fail(std::strerror(errno));
  char head[256] = {};
  const std::size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  // A STEP file opens with "ISO-10303-21;", after an optional byte-order mark and white space.
  // Anything else is refused here with a plain reason rather than handed to OCCT's parser.
  std::size_t i = 0;
  if (n >= 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0) i = 3;
  while (i < n && std::strchr(" \t\r\n", head[i]) && head[i] != 0)
    ++i;
  if (n - i < 13 || std::memcmp(head + i, "ISO-10303-21;", 13) != 0)
    return fail("not a STEP file (no ISO-10303-21 header)");
  return true;
}

/// OCCT's reader reports what it rejected in the model's check list, not through its messenger.
void AddCheckList(const Interface_CheckIterator& checks, std::vector<KROStepMessage>& messages) {
  constexpr int kDetailed = 20;
  int entities = 0;
  for (checks.Start(); checks.More(); checks.Next()) {
    const Handle(Interface_Check)& check = checks.Value();
    if (check.IsNull() || (check->NbFails() == 0 && check->NbWarnings() == 0)) continue;
    if (++entities > kDetailed) continue;
    const bool fail = check->NbFails() > 0;
    std::string text = fail ? check->CFail(1) : check->CWarning(1);
    AddMessage(messages, KROStepMessage::Severity::Warning,
               "OCCT: model entity " + std::to_string(checks.Number()) + ": " + text);
  }
  if (entities > kDetailed)
    AddMessage(messages, KROStepMessage::Severity::Warning,
               "OCCT: " + std::to_string(entities - kDetailed) + " more entities with checks");
}

/// What OCCT's transfer could not take, entity by entity: "#id: OCCT's message".
void AddTransferChecks(const Handle(XSControl_WorkSession) & ws,
                       std::vector<KROStepMessage>& messages) {
  if (ws.IsNull() || ws->TransferReader().IsNull()) return;
  Handle(Transfer_TransientProcess) process = ws->TransferReader()->TransientProcess();
  Handle(StepData_StepModel) model = Handle(StepData_StepModel)::DownCast(ws->Model());
  if (process.IsNull() || model.IsNull()) return;
  constexpr int kDetailed = 20;
  int failed = 0;
  const Interface_CheckIterator checks = process->CheckList(false);
  for (checks.Start(); checks.More(); checks.Next()) {
    const Handle(Interface_Check)& check = checks.Value();
    if (check.IsNull() || check->NbFails() == 0) continue;
    if (++failed > kDetailed) continue;
    const int number = checks.Number();
    const int id =
        number > 0 && number <= model->NbEntities() ? model->IdentLabel(model->Value(number)) : 0;
    AddMessage(messages, KROStepMessage::Severity::Warning,
               "OCCT could not transfer #" + std::to_string(id) + ": " + check->CFail(1));
  }
  if (failed > kDetailed)
    AddMessage(messages, KROStepMessage::Severity::Warning,
               "OCCT could not transfer " + std::to_string(failed - kDetailed) + " more entities");
}

/// OCCT's transfer follows shape aspect relationships without a bound, so a file whose
/// relationships make a cycle overflows its stack. Returns the cycle ("#a → #b → #a") found
/// among the parsed model's relationships, or "" when there is none. Run before transferring.
std::string FindAspectCycle(const Handle(XSControl_WorkSession) & ws) {
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

/// OCCT 7.6 converts the shapes and semantic values of a file to the document's length unit but
/// leaves annotation planes, graphic presentations and saved-view points in the file's own;
/// this brings those of `pmi` (as walked from the document) to the document's unit.
void ToDocumentUnit(const KROStepFileFacts& facts, KROStepPmi& pmi) {
#if OCC_VERSION_HEX >= 0x070600 && OCC_VERSION_HEX < 0x070700
  const double k = facts.units.geometryMm / (facts.documentMm > 0 ? facts.documentMm : 1);
  if (!facts.read || !(k > 0) || !std::isfinite(k) || k == 1) return;
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

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

/// OCCT's reader with its GD&T and saved-view passes run apart from the shape transfer, each in
/// a try block of its own: a file whose GD&T OCCT cannot take (a degenerate placement, say)
/// keeps its shapes, and its PMI comes from the file's facts.
class KROStepCafReader : public STEPCAFControl_Reader {
public:
  using STEPCAFControl_Reader::ReadGDTs;
  using STEPCAFControl_Reader::ReadViews;
};

/// Transfers the shapes, then GD&T, then saved views. A shape transfer that throws is retried
/// root by root, so one bad root costs only itself. Returns false when no shape came over.
bool TransferParts(KROStepCafReader& reader, Handle(TDocStd_Document) & doc,
                   const std::string& path, std::vector<KROStepMessage>& messages,
                   const std::function<void(const char*)>& phase) {
  reader.SetGDTMode(false);
  reader.SetViewMode(false);
  phase("transferring the file");
  bool shapes = false;
  try {
    OCC_CATCH_SIGNALS
    shapes = reader.Transfer(doc);
  } catch (const Standard_Failure& f) {
    AddMessage(messages, KROStepMessage::Severity::Warning,
               path + ": OCCT's transfer failed (" + FailureText(f) +
                   "); transferring root by root");
    Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    if (!doc.IsNull() && doc->IsOpened()) app->Close(doc);
    app->NewDocument("MDTV-XCAF", doc);
    const int roots = reader.ChangeReader().NbRootsForTransfer();
    for (int i = 1; i <= roots; ++i) {
      try {
        OCC_CATCH_SIGNALS
        shapes = reader.TransferOneRoot(i, doc) || shapes;
      } catch (const Standard_Failure& g) {
        AddMessage(messages, KROStepMessage::Severity::Warning,
                   path + ": root " + std::to_string(i) + " of " + std::to_string(roots) +
                       " left out (" + FailureText(g) + ")");
      }
    }
  }
  if (!shapes) return false;
  const Handle(XSControl_WorkSession)& ws = reader.ChangeReader().WS();
  phase("reading OCCT's GD&T");
  try {
    OCC_CATCH_SIGNALS
    reader.ReadGDTs(ws, doc);
  } catch (const Standard_Failure& f) {
    AddMessage(messages, KROStepMessage::Severity::Warning,
               path + ": OCCT's GD&T pass failed (" + FailureText(f) +
                   "); the PMI comes from the file's own entities");
  }
  phase("reading OCCT's saved views");
  try {
    OCC_CATCH_SIGNALS
    reader.ReadViews(ws, doc);
  } catch (const Standard_Failure& f) {
    AddMessage(messages, KROStepMessage::Severity::Warning,
               path + ": OCCT's saved-view pass failed (" + FailureText(f) + ")");
  }
  return true;
}

/// OCCT's document, closed when done unless the process is about to end anyway.
struct KROStepOcctDocument {
  Handle(TDocStd_Document) doc;
  bool tearDown = true;
  ~KROStepOcctDocument() {
    if (!tearDown) {
      // A worker ends right after this: leave OCCT's document to the process's end.
      new Handle(TDocStd_Document)(doc);
      return;
    }
    try {
      if (!doc.IsNull() && doc->IsOpened()) XCAFApp_Application::GetApplication()->Close(doc);
      doc.Nullify();
    } catch (...) {
    }
  }
};

/// Reads, transfers and walks the file in this process; what OCCT's side gives, in plain types.
void ReadPlain(const std::string& path, bool tearDown, bool mesh,
               const std::function<void(const char*)>& phase, KROStepPlainRead& out) {
  std::vector<KROStepMessage>& messages = out.messages;
  if (!CheckFile(path, messages)) return;
  const auto start = std::chrono::steady_clock::now();
  KROStepOcctScope scope(messages);
  KROStepOcctDocument occt;
  occt.tearDown = tearDown;
  try {
    OCC_CATCH_SIGNALS
    Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
    app->NewDocument("MDTV-XCAF", occt.doc);
    KROStepCafReader reader;
    KROStepUseOwnTypes(reader.ChangeReader().WS());
    reader.SetNameMode(true);
    reader.SetColorMode(false);
    reader.SetLayerMode(false);
    reader.SetPropsMode(false);
    phase("reading the file");
    const IFSelect_ReturnStatus status = reader.ReadFile(path.c_str());
    if (status != IFSelect_RetDone) {
      AddMessage(messages, KROStepMessage::Severity::Error,
                 path + ": OCCT cannot read it as a STEP file");
      return;
    }
    AddCheckList(reader.ChangeReader().WS()->ModelCheckList(), messages);
    const std::string cycle = FindAspectCycle(reader.ChangeReader().WS());
    if (!cycle.empty()) {
      AddMessage(messages, KROStepMessage::Severity::Error,
                 path + ": shape aspects relate to each other in a cycle (" + cycle +
                     "); OCCT cannot transfer such a file");
      return;
    }
    const std::vector<int> unread = KROStepMendUnreadLengths(reader.ChangeReader().WS());
    if (!unread.empty()) {
      AddMessage(messages, KROStepMessage::Severity::Error,
                 path + ": #" + std::to_string(unread.front()) +
                     " states a length that cannot be read where OCCT needs one; OCCT cannot "
                     "transfer such a file");
      return;
    }
    if (!TransferParts(reader, occt.doc, path, messages, phase)) {
      AddMessage(messages, KROStepMessage::Severity::Error,
                 path + ": OCCT read the file but could not transfer its shapes");
      return;
    }
    AddTransferChecks(reader.ChangeReader().WS(), messages);
    out.readSeconds = Seconds(start);
    // While the work session still holds the file's model and the transfer's results.
    phase("reading the file's PMI");
    const auto recoverStart = std::chrono::steady_clock::now();
    try {
      OCC_CATCH_SIGNALS
      const KROStepTagIndex tags(MapParts(XCAFDoc_DocumentTool::ShapeTool(occt.doc->Main())));
      KROStepReadFileFacts(
          reader.ChangeReader().WS(), [&](const TopoDS_Shape& s) { return tags(s); },
          [&](int tag) { return tags.IsFace(tag); }, out.facts);
    } catch (const Standard_Failure& f) {
      out.facts = KROStepFileFacts();
      AddMessage(messages, KROStepMessage::Severity::Warning,
                 path + ": reading the file's own entities skipped (" + FailureText(f) + ")");
    }
    out.recoverSeconds = Seconds(recoverStart);
    phase("walking OCCT's document");
    const auto walkStart = std::chrono::steady_clock::now();
    try {
      OCC_CATCH_SIGNALS
      KROStepWalker walker(occt.doc, out.pmi, mesh);
      walker.Walk();
      ToDocumentUnit(out.facts, out.pmi);
    } catch (const Standard_Failure& f) {
      AddMessage(messages, KROStepMessage::Severity::Error,
                 "OCCT failed while walking the document (" + FailureText(f) + ")");
      return;
    }
    out.walkSeconds = Seconds(walkStart);
    out.ok = true;
  } catch (const Standard_Failure& f) {
    AddMessage(messages, KROStepMessage::Severity::Error,
               path + ": OCCT failed while reading (" + FailureText(f) + ")");
  } catch (const std::exception& e) {
    AddMessage(messages, KROStepMessage::Severity::Error,
               path + ": reading failed (" + e.what() + ")");
  }
}

} // namespace

KROStepPlainRead KROStepReadInProcess(const std::string& path, bool tearDown, bool mesh,
                                      const std::function<void(const char*)>& phase) {
  KROStepPlainRead out;
  try {
    ReadPlain(path, tearDown, mesh, phase, out);
  } catch (...) {
    out.ok = false;
    AddMessage(out.messages, KROStepMessage::Severity::Error,
               path + ": out of memory while reading");
  }
  if (!out.ok) {
    // Only the messages count: what a failed read gathered is not a model.
    std::vector<KROStepMessage> messages = std::move(out.messages);
    out = KROStepPlainRead();
    out.messages = std::move(messages);
  }
  return out;
}

KROStepImportResult KROStepBuildFromPlain(KROStepPlainRead plain) {
  KROStepImportResult result;
  try {
    const auto start = std::chrono::steady_clock::now();
    KROStepPmi& pmi = plain.pmi;
    pmi.messages.insert(pmi.messages.begin(), plain.messages.begin(), plain.messages.end());
    const auto matchStart = std::chrono::steady_clock::now();
    KROStepMatchFacts(plain.facts, pmi);
    result.recoverSeconds = plain.recoverSeconds + Seconds(matchStart);
    KROStepBuildModel(pmi, result);
    if (result.ok) KROStepBindReps(pmi, result);
    result.buildSeconds = plain.walkSeconds + Seconds(start);
    result.readSeconds = plain.readSeconds;
  } catch (...) {
    result.set.Reset();
    result.ok = false;
    AddMessage(result.messages, KROStepMessage::Severity::Error, "out of memory while building");
  }
  return result;
}

struct KROStepDocument::Impl {
  KROStepPlainRead read;
};

KROStepDocument::KROStepDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
KROStepDocument::~KROStepDocument() = default;
double KROStepDocument::ReadSeconds() const { return impl_->read.readSeconds; }

std::unique_ptr<KROStepDocument> KROStepDocument::Read(const std::string& path,
                                                       std::vector<KROStepMessage>& messages) {
  return Read(path, messages, KROStepReadOptions());
}

std::unique_ptr<KROStepDocument> KROStepDocument::Read(const std::string& path,
                                                       std::vector<KROStepMessage>& messages,
                                                       const KROStepReadOptions& options) {
  try {
    auto impl = std::make_unique<Impl>();
    impl->read = options.isolated
                     ? KROStepReadIsolated(path, options)
                     : KROStepReadInProcess(path, true, options.mesh, [](const char*) {});
    messages.insert(messages.end(), impl->read.messages.begin(), impl->read.messages.end());
    impl->read.messages.clear();
    if (!impl->read.ok) return nullptr;
    return std::unique_ptr<KROStepDocument>(new KROStepDocument(std::move(impl)));
  } catch (...) {
    AddMessage(messages, KROStepMessage::Severity::Error, path + ": out of memory while reading");
    return nullptr;
  }
}

KROStepImportResult KROStepDocument::Build() const {
  try {
    return KROStepBuildFromPlain(impl_->read);
  } catch (...) {
    KROStepImportResult failed;
    AddMessage(failed.messages, KROStepMessage::Severity::Error, "out of memory while building");
    return failed;
  }
}

KROStepImportResult KROStepImportFile(const std::string& path) {
  return KROStepImportFile(path, KROStepReadOptions());
}

KROStepImportResult KROStepImportFile(const std::string& path, const KROStepReadOptions& options) {
  std::vector<KROStepMessage> messages;
  std::unique_ptr<KROStepDocument> doc = KROStepDocument::Read(path, messages, options);
  if (!doc) {
    KROStepImportResult failed;
    failed.messages = std::move(messages);
    return failed;
  }
  KROStepImportResult result = doc->Build();
  messages.insert(messages.end(), result.messages.begin(), result.messages.end());
  result.messages = std::move(messages);
  return result;
}
