// KROStepTestSupport.cpp - OCCT's own reading of a file, and reading a model back.
#include "KROStepTestSupport.h"

#include <BRep_Tool.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TopoDS.hxx>
#include <XCAFDimTolObjects_DatumObject.hxx>
#include <XCAFDimTolObjects_DimensionObject.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>
#include <XCAFDoc_Datum.hxx>
#include <XCAFDoc_Dimension.hxx>
#include <XCAFDoc_GeomTolerance.hxx>

#include <StepData_StepModel.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDF_Tool.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DimTolTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <XSControl_TransferReader.hxx>
#include <XSControl_WorkSession.hxx>
#include <cctype>
#include <cstdlib>
#include <iostream>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <system_error>
#include <unistd.h>

// OCCT keeps allocations of its own until the process ends (its memory manager, static tables,
// the arrays its STEP writer never frees). They are suppressed by OCCT library name, nothing of
// ours: here for this process,
// and through LSAN_OPTIONS for the kro-pmi processes the tests start.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libTKernel.so\nleak:libTKXSBase.so\nleak:libTKVCAF.so\nleak:libTKSTEP.so\n";
}

namespace {
[[maybe_unused]] const int kChildSuppressions =
    ::setenv("LSAN_OPTIONS", "suppressions=" KRO_LSAN_SUPPRESSIONS ":print_suppressions=0", 1);

std::string Entry(const TDF_Label& l) {
  TCollection_AsciiString s;
  TDF_Tool::Entry(l, s);
  return s.ToCString();
}
} // namespace

KROStepOcctFaces KROStepReadOcctFaces(const std::string& path) {
  KROStepOcctFaces out;
  Handle(XCAFApp_Application) app = XCAFApp_Application::GetApplication();
  Handle(TDocStd_Document) doc;
  app->NewDocument("MDTV-XCAF", doc);
  STEPCAFControl_Reader reader;
  reader.SetGDTMode(true);
  reader.SetNameMode(true);
  if (reader.ReadFile(path.c_str()) != IFSelect_RetDone || !reader.Transfer(doc)) {
    app->Close(doc);
    return out;
  }
  Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc->Main());
  Handle(XCAFDoc_DimTolTool) dimTols = XCAFDoc_DocumentTool::DimTolTool(doc->Main());
  TDF_LabelSequence parts;
  shapes->GetShapes(parts);
  for (const TDF_Label& part : parts) {
    if (shapes->IsAssembly(part)) continue;
    TopTools_IndexedMapOfShape faces;
    TopExp::MapShapes(shapes->GetShape(part), TopAbs_FACE, faces);
    for (int i = 1; i <= faces.Extent(); ++i) {
      KROStepOcctFaces::Face f;
      f.partLabel = Entry(part);
      f.index = i;
      TDF_Label sub;
      if (shapes->FindSubShape(part, faces(i), sub)) {
        TDF_LabelSequence dims, tols, datums;
        dimTols->GetRefDimensionLabels(sub, dims);
        dimTols->GetRefGeomToleranceLabels(sub, tols);
        dimTols->GetRefDatumLabel(sub, datums);
        for (const auto* seq : {&dims, &tols, &datums})
          for (const TDF_Label& l : *seq)
            f.labels.insert(Entry(l));
      }
      const Handle(Standard_Transient) from =
          reader.ChangeReader().WS()->TransferReader()->EntityFromShapeResult(faces(i), 1);
      if (!from.IsNull()) f.entity = reader.ChangeReader().StepModel()->IdentLabel(from);
      out.faces.push_back(std::move(f));
    }
  }
  app->Close(doc);
  return out;
}

std::set<int> KROStepTouching(const KROStepImportResult& r, int tag) {
  auto services = r.set.As<KROITPSLightSetServices>();
  auto broker = r.set.As<KROITPSIdBroker>();
  list<KROBaseUnknown>* found = nullptr;
  services->GetListOfAnnotationsWithZORTag(tag, &found);
  std::set<int> ids;
  for (int i = 0; found && i < found->Size(); ++i) {
    int id = -1;
    if (SUCCEEDED(broker->GetIdForObject((*found)[i], 1, &id))) ids.insert(id + 1);
  }
  delete found;
  return ids;
}

std::set<int> KROStepIdsOfLabels(const KROStepImportResult& r,
                                 const std::set<std::string>& labels) {
  std::set<int> ids;
  for (const KROStepAnnotation& a : r.annotations)
    for (const std::string& l : a.labels)
      if (labels.count(l)) ids.insert(a.id);
  return ids;
}

KROStepFileText KROStepReadFileText(const std::string& path) {
  KROStepFileText out;
  std::ifstream in(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t i = text.find("DATA;");
  if (i == std::string::npos) return out;
  i += 5;
  std::string record;
  bool quoted = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      record += c;
      if (c == '\'') quoted = false; // '' reopens at once, keeping both quotes
      continue;
    }
    if (c == '\'') {
      quoted = true;
      record += c;
    } else if (c == ';') {
      const std::size_t eq = record.find('=');
      if (record.rfind("ENDSEC", 0) == 0) break;
      if (!record.empty() && record[0] == '#' && eq != std::string::npos)
        out.records[std::atoi(record.c_str() + 1)] = record.substr(eq + 1);
      record.clear();
    } else if (!std::isspace(static_cast<unsigned char>(c))) {
      record += c;
    }
  }
  return out;
}

std::vector<int> KROStepFileText::With(const std::string& needle) const {
  std::vector<int> ids;
  for (const auto& [id, body] : records)
    if (body.find(needle) != std::string::npos) ids.push_back(id);
  return ids;
}

std::string KROStepFileText::Param(int id, const std::string& type, int n) const {
  auto it = records.find(id);
  if (it == records.end()) return {};
  const std::string& body = it->second;
  // The part's name must start the body or follow '(' or ')' (a complex instance's parts).
  std::size_t at = 0;
  for (;;) {
    at = body.find(type + "(", at);
    if (at == std::string::npos) return {};
    if (at == 0 || body[at - 1] == '(' || body[at - 1] == ')') break;
    ++at;
  }
  int depth = 0, index = 1;
  bool quoted = false;
  std::string param;
  for (std::size_t i = at + type.size(); i < body.size(); ++i) {
    const char c = body[i];
    if (quoted) {
      if (c == '\'') quoted = false;
      if (depth == 1) param += c;
      continue;
    }
    if (c == '\'') quoted = true;
    if (c == '(' && ++depth == 1) continue;
    if (c == ')' && --depth == 0) return index == n ? param : std::string();
    if (c == ',' && depth == 1) {
      if (index == n) return param;
      ++index;
      param.clear();
      continue;
    }
    if (depth >= 1) param += c;
  }
  return {};
}

std::set<int> KROStepFileItemsOf(const KROStepFileText& file, int id) {
  auto body = [&](int n) -> const std::string& {
    static const std::string none;
    auto it = file.records.find(n);
    return it == file.records.end() ? none : it->second;
  };
  auto refs = [](const std::string& text) {
    std::set<int> out;
    for (std::size_t at = text.find('#'); at != std::string::npos; at = text.find('#', at + 1))
      out.insert(std::atoi(text.c_str() + at + 1));
    return out;
  };
  // The aspects it applies to.
  const std::string& own = body(id);
  const std::string type = own.substr(0, own.find('('));
  std::set<int> aspects;
  if (own.find("GEOMETRIC_TOLERANCE(") != std::string::npos)
    aspects.insert(KROStepRef(file.Param(id, "GEOMETRIC_TOLERANCE", 4)));
  else if (type.find("_TOLERANCE") != std::string::npos)
    aspects.insert(KROStepRef(file.Param(id, type, 4)));
  else if (type == "DIMENSIONAL_SIZE" || type == "ANGULAR_SIZE")
    aspects.insert(KROStepRef(file.Param(id, type, 1)));
  else if (type == "DIMENSIONAL_LOCATION" || type == "ANGULAR_LOCATION")
    for (int n : {3, 4})
      aspects.insert(KROStepRef(file.Param(id, type, n)));
  else if (type != "DRAUGHTING_CALLOUT")
    aspects.insert(id);
  // A callout (a note) is on what the associations that name it define, or on what the
  // property they define is of.
  for (const auto& [n, text] : file.records) {
    if (type != "DRAUGHTING_CALLOUT") break;
    if (text.rfind("DRAUGHTING_MODEL_ITEM_ASSOCIATION(", 0) != 0 ||
        KROStepRef(file.Param(n, "DRAUGHTING_MODEL_ITEM_ASSOCIATION", 5)) != id)
      continue;
    const int definition = KROStepRef(file.Param(n, "DRAUGHTING_MODEL_ITEM_ASSOCIATION", 3));
    aspects.insert(body(definition).rfind("PROPERTY_DEFINITION(", 0) == 0
                       ? KROStepRef(file.Param(definition, "PROPERTY_DEFINITION", 3))
                       : definition);
  }
  // Everything those relate to, through shape aspect relationships of any kind.
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [n, text] : file.records) {
      const std::string t = text.substr(0, text.find('('));
      if (t.find("SHAPE_ASPECT_RELATIONSHIP") == std::string::npos) continue;
      if (aspects.count(KROStepRef(file.Param(n, t, 3))) &&
          aspects.insert(KROStepRef(file.Param(n, t, 4))).second)
        grew = true;
    }
  }
  std::set<int> items;
  for (int a : aspects)
    if (body(a).rfind("PRODUCT_DEFINITION_SHAPE(", 0) == 0) items.insert(0);
  for (const auto& [n, text] : file.records) {
    const std::string t = text.substr(0, text.find('('));
    if (t != "GEOMETRIC_ITEM_SPECIFIC_USAGE" && t != "ITEM_IDENTIFIED_REPRESENTATION_USAGE")
      continue;
    if (!aspects.count(KROStepRef(file.Param(n, t, 3)))) continue;
    for (int item : refs(file.Param(n, t, 5)))
      items.insert(item);
  }
  return items;
}

int KROStepRef(const std::string& param) {
  return param.size() > 1 && param[0] == '#' ? std::atoi(param.c_str() + 1) : 0;
}

bool KROStepEditedCopy(const std::string& base, const std::map<int, std::string>& edits,
                       const std::string& path) {
  const std::string text = KROStepSlurp(KROStepData(base));
  const std::size_t data = text.find("\nDATA;");
  if (data == std::string::npos) return false;
  std::map<int, std::string> added = edits;
  std::string out = text.substr(0, data);
  // Record by record: "#id=" at the start of a line up to the ';' outside strings ending it.
  std::size_t at = data;
  bool quoted = false;
  std::size_t start = at;
  for (std::size_t i = at; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\'') quoted = !quoted;
    if (quoted || c != ';') continue;
    std::string record = text.substr(start, i + 1 - start);
    const std::size_t hash = record.find('#');
    if (hash != std::string::npos && record.find("ENDSEC", 0) == std::string::npos) {
      const int id = std::atoi(record.c_str() + hash + 1);
      if (auto e = added.find(id); e != added.end()) {
        record = record.substr(0, hash) + "#" + std::to_string(id) + "=" + e->second + ";";
        added.erase(e);
      }
    }
    if (record.find("ENDSEC") != std::string::npos) {
      for (const auto& [id, body] : added)
        out += "\n#" + std::to_string(id) + "=" + body + ";";
      out += text.substr(start);
      std::ofstream o(path, std::ios::binary);
      o << out;
      return static_cast<bool>(o);
    }
    out += record;
    start = i + 1;
  }
  return false;
}

std::string KROStepSlurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void KROStepScratchTest::SetUp() {
  KROTest::SetUp();
  dir_ = std::filesystem::temp_directory_path() /
         ("kro-step-" + std::to_string(::getpid()) + "-" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::create_directories(dir_);
}

void KROStepScratchTest::TearDown() {
  std::error_code ec;
  // KRO_KEEP_SCRATCH keeps the fixtures a test wrote, to look at them or read them elsewhere.
  if (std::getenv("KRO_KEEP_SCRATCH"))
    std::cout << "scratch kept: " << dir_.string() << '\n';
  else
    std::filesystem::remove_all(dir_, ec);
  KROTest::TearDown();
}

std::vector<std::string> KROStepListOf(const std::string& param) {
  std::vector<std::string> out;
  if (param.size() < 2 || param.front() != '(' || param.back() != ')') return out;
  int depth = 0;
  std::string item;
  for (std::size_t i = 1; i + 1 < param.size(); ++i) {
    const char c = param[i];
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ',' && depth == 0) {
      out.push_back(item);
      item.clear();
    } else {
      item += c;
    }
  }
  if (!item.empty()) out.push_back(item);
  return out;
}

std::map<int, KROStepFileDrawing> KROStepFileDrawings(const KROStepFileText& file,
                                                      std::set<int>* callouts) {
  auto type = [&](int id) -> std::string {
    auto it = file.records.find(id);
    if (it == file.records.end()) return {};
    const std::string& b = it->second;
    return b.substr(0, b.find('('));
  };
  auto refs = [](const std::string& param) {
    std::vector<int> ids;
    for (std::size_t at = param.find('#'); at != std::string::npos; at = param.find('#', at + 1))
      ids.push_back(std::atoi(param.c_str() + at + 1));
    return ids;
  };
  // What a tessellated or geometric item draws, its sets followed down.
  std::function<void(int, KROStepFileDrawing&, int)> draw = [&](int id, KROStepFileDrawing& d,
                                                                int depth) {
    if (depth > 8 || !file.records.count(id)) return;
    const std::string& body = file.records.at(id);
    const std::string t = type(id);
    if (body.find("TESSELLATED_GEOMETRIC_SET(") != std::string::npos) {
      const bool complex = body.front() == '(';
      for (int item : refs(file.Param(id, "TESSELLATED_GEOMETRIC_SET", complex ? 1 : 2)))
        draw(item, d, depth + 1);
    } else if (t == "TESSELLATED_CURVE_SET") {
      for (const std::string& curve : KROStepListOf(file.Param(id, t, 3)))
        d.curves += KROStepListOf(curve).size() >= 2 ? 1 : 0;
    } else if (t == "COMPLEX_TRIANGULATED_SURFACE_SET") {
      for (int n : {6, 7})
        for (const std::string& run : KROStepListOf(file.Param(id, t, n)))
          d.triangles += std::max(0, static_cast<int>(KROStepListOf(run).size()) - 2);
    } else if (t == "POLYLINE") {
      d.curves += refs(file.Param(id, t, 2)).size() >= 2 ? 1 : 0;
    } else if (t == "ANNOTATION_FILL_AREA") {
      d.fills += refs(file.Param(id, t, 2)).empty() ? 0 : 1;
    } else if (t == "GEOMETRIC_SET" || t == "GEOMETRIC_CURVE_SET") {
      for (int item : refs(file.Param(id, t, 2)))
        draw(item, d, depth + 1);
    }
  };
  // What each callout draws: the items of the occurrences it holds (or of itself).
  std::map<int, KROStepFileDrawing> ofCallout;
  auto drawing = [&](int callout) -> const KROStepFileDrawing& {
    auto [it, fresh] = ofCallout.emplace(callout, KROStepFileDrawing());
    if (!fresh) return it->second;
    std::vector<int> occurrences{callout};
    if (type(callout) == "DRAUGHTING_CALLOUT")
      occurrences = refs(file.Param(callout, "DRAUGHTING_CALLOUT", 2));
    for (int o : occurrences) {
      const std::string t = type(o);
      if (t == "TESSELLATED_ANNOTATION_OCCURRENCE" || t == "ANNOTATION_CURVE_OCCURRENCE" ||
          t == "ANNOTATION_FILL_AREA_OCCURRENCE")
        draw(KROStepRef(file.Param(o, t, 3)), it->second, 0);
    }
    it->second.callouts = 1;
    return it->second;
  };
  std::map<int, KROStepFileDrawing> out;
  auto add = [&](int named, int callout) {
    const KROStepFileDrawing& d = drawing(callout);
    if (d.curves == 0 && d.triangles == 0 && d.fills == 0) return;
    if (callouts) callouts->insert(callout);
    if (named == 0 || !out[named].drawnBy.insert(callout).second) return;
    out[named].curves += d.curves;
    out[named].triangles += d.triangles;
    out[named].fills += d.fills;
    out[named].callouts += 1;
  };
  std::set<int> linked;
  for (int link : file.With("DRAUGHTING_MODEL_ITEM_ASSOCIATION(")) {
    const std::string t = "DRAUGHTING_MODEL_ITEM_ASSOCIATION";
    const int definition = KROStepRef(file.Param(link, t, 3));
    for (int callout : refs(file.Param(link, t, 5))) {
      linked.insert(callout);
      add(definition, callout);
      add(callout, callout);
    }
  }
  // Graphic-only: callouts no association names, and occurrences no callout holds.
  std::set<int> held;
  for (int callout : file.With("DRAUGHTING_CALLOUT("))
    for (int o : refs(file.Param(callout, "DRAUGHTING_CALLOUT", 2)))
      held.insert(o);
  for (const char* kind : {"DRAUGHTING_CALLOUT(", "TESSELLATED_ANNOTATION_OCCURRENCE(",
                           "ANNOTATION_CURVE_OCCURRENCE(", "ANNOTATION_FILL_AREA_OCCURRENCE("})
    for (int callout : file.With(kind))
      if (!linked.count(callout) && !held.count(callout)) add(callout, callout);
  return out;
}
