// KROStepWire.cpp - the plain read as bytes and back (the layout is in KROStepWire.h).
///
/// Each struct's fields are listed once, in a `Fields` overload that the writer and the reader
/// both walk, so that the two directions cannot drift apart. The reader builds the CBOR into a
/// document through its own bounded handler (no nesting beyond kMaxDepth, so no stack overflow on
/// hostile input), converts it with a type check at every field, then checks every index.
#include "KROStepWire.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <bit>
#include <climits>
#include <concepts>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <vector>

namespace {

using Json = nlohmann::json;

constexpr char kMagic[8] = {'K', 'R', 'O', 'S', 'T', 'E', 'P', '\0'};
constexpr std::size_t kHeaderSize = sizeof kMagic + 4 + 8;
/// The format nests 9 deep at most (facts, a tolerance, its datums, a compartment, a member,
/// its modifiers); a hostile body may nest without end, and the CBOR parser recurses.
constexpr std::size_t kMaxDepth = 32;

static_assert(sizeof(KROStepVec) == 3 * sizeof(double), "points are sent as packed doubles");
static_assert(std::numeric_limits<double>::is_iec559, "doubles are sent as IEEE 754");

// --- the fields of every struct -----------------------------------------------------------------

template <class P, class T>
concept Of = std::same_as<std::remove_const_t<P>, T>;

void Fields(auto& a, Of<KROStepBox> auto& b) {
  a("min", b.min);
  a("max", b.max);
}

void Fields(auto& a, Of<KROStepPart> auto& p) {
  a("name", p.name);
  a("label", p.label);
  a("faceCount", p.faceCount);
  a("edgeCount", p.edgeCount);
  a("box", p.box);
}

void Fields(auto& a, Of<KROStepTag> auto& t) {
  a("tag", t.tag);
  a("part", t.part);
  a("kind", t.kind);
  a("subIndex", t.subIndex);
  a("subShapeLabel", t.subShapeLabel);
}

void Fields(auto& a, Of<KROStepShape> auto& s) {
  a("label", s.label);
  a("part", s.part);
  a("tags", s.tags);
}

void Fields(auto& a, Of<KROStepPlane> auto& p) {
  a("origin", p.origin);
  a("normal", p.normal);
  a("xDirection", p.xDirection);
}

void Fields(auto& a, Of<KROStepDatumRef> auto& d) {
  a("feature", d.feature);
  a("text", d.text);
}

void Fields(auto& a, Of<KROStepObject> auto& o) {
  a("kind", o.kind);
  a("type", o.type);
  a("name", o.name);
  a("text", o.text);
  a("value", o.value);
  a("hasValue", o.hasValue);
  a("labels", o.labels);
  a("shapes", o.shapes);
  a("plane", o.plane);
  a("datums", o.datums);
  a("framePmi", o.framePmi);
  a("graphic", o.graphic);
  a("triangles", o.triangles);
  a("datumLetter", o.datumLetter);
  a("targetNumber", o.targetNumber);
  a("recovered", o.recovered);
  a("recoveryReason", o.recoveryReason);
  a("fileEntity", o.fileEntity);
}

void Fields(auto& a, Of<KROStepSavedView> auto& v) {
  a("name", v.name);
  a("label", v.label);
  a("origin", v.origin);
  a("direction", v.direction);
  a("zenith", v.zenith);
  a("target", v.target);
  a("cameraType", v.cameraType);
  a("clipping", v.clipping);
  a("objects", v.objects);
  a("recovered", v.recovered);
  a("recoveryReason", v.recoveryReason);
  a("fileEntity", v.fileEntity);
}

void Fields(auto& a, Of<KROStepCamera> auto& c) {
  a("name", c.name);
  a("fileEntity", c.fileEntity);
  a("reason", c.reason);
}

void Fields(auto& a, Of<KROStepUnits> auto& u) {
  a("pmiName", u.pmiName);
  a("pmiMm", u.pmiMm);
  a("geometryName", u.geometryName);
  a("geometryMm", u.geometryMm);
}

void Fields(auto& a, Of<KROStepTagGeometry> auto& g) {
  a("tag", g.tag);
  a("points", g.points);
}

void Fields(auto& a, Of<KROStepGeometry> auto& g) {
  a("faces", g.faces);
  a("edges", g.edges);
}

void Fields(auto& a, Of<KROStepMessage> auto& m) {
  a("severity", m.severity);
  a("text", m.text);
}

void Fields(auto& a, Of<KROStepPmi> auto& p) {
  a("parts", p.parts);
  a("tags", p.tags);
  a("shapes", p.shapes);
  a("objects", p.objects);
  a("views", p.views);
  a("cameras", p.cameras);
  a("units", p.units);
  a("partSize", p.partSize);
  a("center", p.center);
  a("geometry", p.geometry);
  a("messages", p.messages);
}

void Fields(auto& a, Of<KROStepFileUnits> auto& u) {
  a("pmiName", u.pmiName);
  a("pmiMm", u.pmiMm);
  a("geometryName", u.geometryName);
  a("geometryMm", u.geometryMm);
  a("angleDegrees", u.angleDegrees);
}

void Fields(auto& a, Of<KROStepFileDimension> auto& d) {
  a("entity", d.entity);
  a("name", d.name);
  a("location", d.location);
  a("type", d.type);
  a("angular", d.angular);
  a("nominal", d.nominal);
  a("upper", d.upper);
  a("lower", d.lower);
  a("upperDecimals", d.upperDecimals);
  a("lowerDecimals", d.lowerDecimals);
  a("upperLimit", d.upperLimit);
  a("lowerLimit", d.lowerLimit);
  a("fitClass", d.fitClass);
  a("decimals", d.decimals);
  a("limit", d.limit);
  a("modifiers", d.modifiers);
  a("count", d.count);
  a("aspects", d.aspects);
  a("tags", d.tags);
}

void Fields(auto& a, Of<KROStepFileDatumElement> auto& e) {
  a("letter", e.letter);
  a("modifiers", e.modifiers);
}

void Fields(auto& a, Of<KROStepFileCompartment> auto& c) {
  a("members", c.members);
  a("modifiers", c.modifiers);
}

void Fields(auto& a, Of<KROStepFileDatumSystem> auto& s) {
  a("entity", s.entity);
  a("compartments", s.compartments);
}

void Fields(auto& a, Of<KROStepFileTolerance> auto& t) {
  a("entity", t.entity);
  a("name", t.name);
  a("kind", t.kind);
  a("value", t.value);
  a("magnitudeProblem", t.magnitudeProblem);
  a("zone", t.zone);
  a("modifiers", t.modifiers);
  a("projectedLength", t.projectedLength);
  a("projected", t.projected);
  a("unequal", t.unequal);
  a("unitLength", t.unitLength);
  a("unitSecondLength", t.unitSecondLength);
  a("unitArea", t.unitArea);
  a("maxValue", t.maxValue);
  a("datums", t.datums);
  a("datumSystem", t.datumSystem);
  a("lowerSegment", t.lowerSegment);
  a("upperSegment", t.upperSegment);
  a("dimension", t.dimension);
  a("datumFeature", t.datumFeature);
  a("problem", t.problem);
  a("aspects", t.aspects);
  a("tags", t.tags);
}

void Fields(auto& a, Of<KROStepFileDatumFeature> auto& f) {
  a("entity", f.entity);
  a("name", f.name);
  a("letter", f.letter);
  a("target", f.target);
  a("targetId", f.targetId);
  a("targetKind", f.targetKind);
  a("targetSize", f.targetSize);
  a("targetSecondSize", f.targetSecondSize);
  a("movable", f.movable);
  a("tags", f.tags);
}

void Fields(auto& a, Of<KROStepFileCamera> auto& c) {
  a("entity", c.entity);
  a("name", c.name);
  a("origin", c.origin);
  a("direction", c.direction);
  a("zenith", c.zenith);
  a("cameraType", c.cameraType);
  a("clipping", c.clipping);
  a("problem", c.problem);
  a("shownIds", c.shownIds);
  a("shownNames", c.shownNames);
  a("presentsPmi", c.presentsPmi);
}

void Fields(auto& a, Of<KROStepFileNote> auto& n) {
  a("entity", n.entity);
  a("name", n.name);
  a("text", n.text);
  a("tags", n.tags);
}

void Fields(auto& a, Of<KROStepFileCallout> auto& c) {
  a("entity", c.entity);
  a("name", c.name);
  a("occurrences", c.occurrences);
  a("presents", c.presents);
  a("polylines", c.polylines);
  a("triangles", c.triangles);
  a("plane", c.plane);
}

void Fields(auto& a, Of<KROStepFileFacts> auto& f) {
  a("read", f.read);
  a("units", f.units);
  a("documentMm", f.documentMm);
  a("dimensions", f.dimensions);
  a("tolerances", f.tolerances);
  a("datumFeatures", f.datumFeatures);
  a("datumSystems", f.datumSystems);
  a("notes", f.notes);
  a("cameras", f.cameras);
  a("callouts", f.callouts);
  a("messages", f.messages);
}

void Fields(auto& a, Of<KROStepPlainRead> auto& r) {
  a("ok", r.ok);
  a("pmi", r.pmi);
  a("facts", r.facts);
  a("messages", r.messages);
  a("readSeconds", r.readSeconds);
  a("walkSeconds", r.walkSeconds);
  a("recoverSeconds", r.recoverSeconds);
}

/// The last value of each enum the format carries; values are sent as their number.
constexpr KROStepAnnotation::Kind Last(KROStepAnnotation::Kind) {
  return KROStepAnnotation::Kind::Note;
}
constexpr KROStepTag::Kind Last(KROStepTag::Kind) { return KROStepTag::Kind::Edge; }
constexpr KROStepMessage::Severity Last(KROStepMessage::Severity) {
  return KROStepMessage::Severity::Error;
}

// --- writing ------------------------------------------------------------------------------------

/// Points as little-endian doubles, x, y, z per point: one copy on a little-endian machine.
Json PackPoints(const std::vector<KROStepVec>& points) {
  std::vector<std::uint8_t> bytes(points.size() * sizeof(KROStepVec));
  if constexpr (std::endian::native == std::endian::little) {
    if (!bytes.empty()) std::memcpy(bytes.data(), points.data(), bytes.size());
  } else {
    std::size_t at = 0;
    for (const KROStepVec& p : points)
      for (double d : p) {
        const auto bits = std::bit_cast<std::uint64_t>(d);
        for (int b = 0; b < 8; ++b)
          bytes[at++] = static_cast<std::uint8_t>(bits >> (8 * b));
      }
  }
  return Json::binary(std::move(bytes));
}

/// Fills a CBOR map with the fields of a struct.
class Writer {
public:
  explicit Writer(Json& object) : object_(object) {}

  template <class T> void operator()(const char* key, const T& value) { object_[key] = Put(value); }

  static Json Put(bool v) { return v; }
  static Json Put(int v) { return v; }
  static Json Put(std::uint16_t v) { return v; }
  static Json Put(double v) { return v; }
  static Json Put(const std::string& v) { return v; }
  static Json Put(const KROStepVec& v) { return Json::array({v[0], v[1], v[2]}); }
  static Json Put(const std::vector<KROStepVec>& points) { return PackPoints(points); }
  template <class E>
  requires std::is_enum_v<E>
  static Json Put(E v) { return static_cast<std::int64_t>(v); }
  template <class T> static Json Put(const std::optional<T>& v) {
    return v ? Put(*v) : Json(nullptr);
  }
  template <class T> static Json Put(const std::vector<T>& items) {
    Json list = Json::array();
    for (const T& item : items)
      list.push_back(Put(item));
    return list;
  }
  template <class T>
  requires std::is_class_v<T>
  static Json Put(const T& record) {
    Json object = Json::object();
    Writer writer(object);
    Fields(writer, record);
    return object;
  }

private:
  Json& object_;
};

// --- reading ------------------------------------------------------------------------------------

/// What the body is refused for; thrown inside the decoder only, caught at its boundary.
struct Malformed {
  std::string reason;
};

/// Where in the body a value sits, as a chain up to the root; spelt out only for an error.
struct Where {
  const Where* parent = nullptr;
  const char* key = nullptr; ///< null: element `index` of the parent's list
  std::size_t index = 0;

  std::string Text() const {
    std::string s = parent ? parent->Text() : std::string();
    if (key)
      s += (s.empty() ? "" : ".") + std::string(key);
    else if (parent)
      s += "[" + std::to_string(index) + "]";
    return s;
  }
};

[[noreturn]] void Fail(const Where& at, const std::string& what) {
  const std::string where = at.Text();
  throw Malformed{(where.empty() ? std::string("the body") : where) + " " + what};
}

/// Builds the document of a CBOR body as nlohmann's own builder does, but refuses nesting deeper
/// than kMaxDepth before the parser recurses into it.
class BoundedDocument {
public:
  explicit BoundedDocument(Json& root) : root_(root) {}

  bool null() { return Add(nullptr); }
  bool boolean(bool v) { return Add(v); }
  bool number_integer(Json::number_integer_t v) { return Add(v); }
  bool number_unsigned(Json::number_unsigned_t v) { return Add(v); }
  bool number_float(Json::number_float_t v, const Json::string_t&) { return Add(v); }
  bool string(Json::string_t& v) { return Add(std::move(v)); }
  bool binary(Json::binary_t& v) {
    Place(Json::binary(std::move(static_cast<std::vector<std::uint8_t>&>(v))));
    return true;
  }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool key(Json::string_t& k) {
    key_ = std::move(k);
    return true;
  }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_array() { return Close(); }
  template <class Exception>
  bool parse_error(std::size_t byte, const std::string&, const Exception& e) {
    // nlohmann's text reads "[json.exception…] parse error at byte N: syntax error while parsing
    // CBOR value: invalid byte: 0xFF"; the part after "value: " is the news.
    std::string detail = e.what();
    const std::size_t cut = detail.find("value: ");
    if (cut != std::string::npos) detail.erase(0, cut + 7);
    problem_ = "bad CBOR at byte " + std::to_string(byte) + " (" + detail + ")";
    return false;
  }

  const std::string& Problem() const { return problem_; }

private:
  template <class T> bool Add(T&& value) {
    Place(Json(std::forward<T>(value)));
    return true;
  }
  bool Open(Json&& container) {
    if (open_.size() >= kMaxDepth) {
      problem_ = "nested deeper than " + std::to_string(kMaxDepth) + " levels";
      return false;
    }
    open_.push_back(Place(std::move(container)));
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }
  /// Puts `value` in the innermost open container (the root when none is); only the innermost
  /// grows, so the pointers to the open ones stay good.
  Json* Place(Json&& value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& top = *open_.back();
    if (top.is_array()) {
      top.push_back(std::move(value));
      return &top.back();
    }
    Json& slot = top[key_];
    slot = std::move(value);
    return &slot;
  }

  Json& root_;
  std::vector<Json*> open_;
  std::string key_;
  std::string problem_ = "bad CBOR";
};

/// Fills a struct from a CBOR map, checking the type (and range) of every field.
class Reader {
public:
  Reader(const Json& object, const Where& where) : object_(object), where_(where) {}

  template <class T> void operator()(const char* key, T& out) {
    const Where at{&where_, key};
    const auto it = object_.find(key);
    if (it == object_.end()) Fail(at, "is missing");
    Get(*it, out, at);
  }

  static void Get(const Json& j, bool& out, const Where& at) {
    if (!j.is_boolean()) Fail(at, "is not a boolean");
    out = j.get<bool>();
  }
  static void Get(const Json& j, int& out, const Where& at) {
    out = static_cast<int>(Integer(j, at, INT_MIN, INT_MAX));
  }
  static void Get(const Json& j, std::uint16_t& out, const Where& at) {
    out = static_cast<std::uint16_t>(Integer(j, at, 0, UINT16_MAX));
  }
  static void Get(const Json& j, double& out, const Where& at) {
    if (!j.is_number()) Fail(at, "is not a number");
    out = j.get<double>();
  }
  static void Get(const Json& j, std::string& out, const Where& at) {
    if (!j.is_string()) Fail(at, "is not a text");
    out = j.get_ref<const std::string&>();
  }
  static void Get(const Json& j, KROStepVec& out, const Where& at) {
    if (!j.is_array() || j.size() != 3) Fail(at, "is not three numbers");
    for (std::size_t k = 0; k < 3; ++k)
      Get(j[k], out[k], Where{&at, nullptr, k});
  }
  static void Get(const Json& j, std::vector<KROStepVec>& out, const Where& at) {
    if (!j.is_binary()) Fail(at, "is not a byte string of points");
    const std::vector<std::uint8_t>& bytes = j.get_binary();
    if (bytes.size() % sizeof(KROStepVec) != 0)
      Fail(at, "has " + std::to_string(bytes.size()) + " bytes, not whole points of 24");
    out.assign(bytes.size() / sizeof(KROStepVec), KROStepVec{});
    if constexpr (std::endian::native == std::endian::little) {
      if (!bytes.empty()) std::memcpy(out.data(), bytes.data(), bytes.size());
    } else {
      for (std::size_t i = 0; i < out.size(); ++i)
        for (std::size_t c = 0; c < 3; ++c) {
          std::uint64_t bits = 0;
          for (std::size_t b = 0; b < 8; ++b)
            bits |= std::uint64_t{bytes[24 * i + 8 * c + b]} << (8 * b);
          out[i][c] = std::bit_cast<double>(bits);
        }
    }
  }
  template <class E>
  requires std::is_enum_v<E>
  static void Get(const Json& j, E& out, const Where& at) {
    out = static_cast<E>(Integer(j, at, 0, static_cast<std::int64_t>(Last(E{}))));
  }
  template <class T> static void Get(const Json& j, std::optional<T>& out, const Where& at) {
    if (j.is_null()) {
      out.reset();
      return;
    }
    Get(j, out.emplace(), at);
  }
  // Element by element, not sized up front: a list of a million nulls is a small body but would
  // be a large vector of records.
  template <class T> static void Get(const Json& j, std::vector<T>& out, const Where& at) {
    if (!j.is_array()) Fail(at, "is not a list");
    out.clear();
    for (std::size_t i = 0; i < j.size(); ++i)
      Get(j[i], out.emplace_back(), Where{&at, nullptr, i});
  }
  template <class T>
  requires std::is_class_v<T>
  static void Get(const Json& j, T& out, const Where& at) {
    if (!j.is_object()) Fail(at, "is not a record");
    Reader reader(j, at);
    Fields(reader, out);
  }

private:
  /// An integer within [lowest, highest] (highest ≥ 0), whether CBOR sent it signed or not.
  static std::int64_t Integer(const Json& j, const Where& at, std::int64_t lowest,
                              std::int64_t highest) {
    if (j.is_number_unsigned()) {
      const auto v = j.get<std::uint64_t>();
      if (v <= static_cast<std::uint64_t>(highest)) return static_cast<std::int64_t>(v);
      Fail(at, "is " + std::to_string(v) + ", out of range");
    }
    if (!j.is_number_integer()) Fail(at, "is not an integer");
    const auto v = j.get<std::int64_t>();
    if (v < lowest || v > highest) Fail(at, "is " + std::to_string(v) + ", out of range");
    return v;
  }

  const Json& object_;
  const Where& where_;
};

// --- the indices the model side follows ----------------------------------------------------------

std::string Item(const char* list, std::size_t i) {
  return std::string(list) + "[" + std::to_string(i) + "]";
}

/// `value` within [lowest, count) (lowest is 0, or -1 for "none").
bool Within(int value, int lowest, std::size_t count) {
  return value >= lowest && (value < 0 || static_cast<std::size_t>(value) < count);
}

[[noreturn]] void Refuse(const std::string& name, int value, const std::string& expected) {
  throw Malformed{name + " is " + std::to_string(value) + ", " + expected};
}

std::string Into(const char* list, std::size_t count, bool orNone = false) {
  return std::string(orNone ? "neither -1 nor " : "not ") + "an index into " + list + " (" +
         std::to_string(count) + ")";
}

/// Camera type and clipping bits of a camera (a saved view's or the file's).
void CheckCamera(const std::string& name, int cameraType, int clipping) {
  if (cameraType != KROStepCameraParallel && cameraType != KROStepCameraCentral)
    Refuse(name + ".cameraType", cameraType, "not a camera type");
  if (!Within(clipping, 0, (KROStepClipFront | KROStepClipBack | KROStepClipSides) + 1))
    Refuse(name + ".clipping", clipping, "not clipping bits");
}

/// Every index the matcher, the model builder and the reps' writer follow, checked against what
/// it indexes: they index without checking, trusting the reader that made them.
void CheckIndices(const KROStepPlainRead& read) {
  const KROStepPmi& pmi = read.pmi;
  for (std::size_t i = 0; i < pmi.tags.size(); ++i) {
    const KROStepTag& t = pmi.tags[i];
    if (t.tag < 1 || static_cast<std::size_t>(t.tag) != i + 1)
      Refuse(Item("pmi.tags", i) + ".tag", t.tag, "expected " + std::to_string(i + 1));
    if (!Within(t.part, 0, pmi.parts.size()))
      Refuse(Item("pmi.tags", i) + ".part", t.part, Into("pmi.parts", pmi.parts.size()));
  }
  for (std::size_t i = 0; i < pmi.shapes.size(); ++i)
    if (!Within(pmi.shapes[i].part, -1, pmi.parts.size()))
      Refuse(Item("pmi.shapes", i) + ".part", pmi.shapes[i].part,
             Into("pmi.parts", pmi.parts.size(), true));
  for (std::size_t i = 0; i < pmi.objects.size(); ++i) {
    const KROStepObject& o = pmi.objects[i];
    for (std::size_t k = 0; k < o.shapes.size(); ++k)
      if (!Within(o.shapes[k], 0, pmi.shapes.size()))
        Refuse(Item("pmi.objects", i) + Item(".shapes", k), o.shapes[k],
               Into("pmi.shapes", pmi.shapes.size()));
    for (std::size_t k = 0; k < o.datums.size(); ++k)
      if (!Within(o.datums[k].feature, 0, pmi.objects.size()))
        Refuse(Item("pmi.objects", i) + Item(".datums", k) + ".feature", o.datums[k].feature,
               Into("pmi.objects", pmi.objects.size()));
  }
  for (std::size_t i = 0; i < pmi.views.size(); ++i) {
    const KROStepSavedView& v = pmi.views[i];
    for (std::size_t k = 0; k < v.objects.size(); ++k)
      if (!Within(v.objects[k], 0, pmi.objects.size()))
        Refuse(Item("pmi.views", i) + Item(".objects", k), v.objects[k],
               Into("pmi.objects", pmi.objects.size()));
    CheckCamera(Item("pmi.views", i), v.cameraType, v.clipping);
  }
  const KROStepFileFacts& facts = read.facts;
  for (std::size_t i = 0; i < facts.tolerances.size(); ++i) {
    const KROStepFileTolerance& t = facts.tolerances[i];
    if (!Within(t.kind, -1, KROStepToleranceKinds.size()))
      Refuse(Item("facts.tolerances", i) + ".kind", t.kind,
             Into("the tolerance kinds", KROStepToleranceKinds.size(), true));
    if (!Within(t.dimension, -1, facts.dimensions.size()))
      Refuse(Item("facts.tolerances", i) + ".dimension", t.dimension,
             Into("facts.dimensions", facts.dimensions.size(), true));
  }
  for (std::size_t i = 0; i < facts.cameras.size(); ++i)
    CheckCamera(Item("facts.cameras", i), facts.cameras[i].cameraType, facts.cameras[i].clipping);
}

std::uint64_t LoadLittle(const char* bytes, int count) {
  std::uint64_t v = 0;
  for (int b = 0; b < count; ++b)
    v |= std::uint64_t{static_cast<unsigned char>(bytes[b])} << (8 * b);
  return v;
}

void StoreLittle(char* bytes, std::uint64_t v, int count) {
  for (int b = 0; b < count; ++b)
    bytes[b] = static_cast<char>((v >> (8 * b)) & 0xFF);
}

/// Sets `error` to `reason` + `more`; out of memory even for that, leaves it empty.
bool Refused(std::string& error, std::string_view reason, std::string_view more = {}) noexcept {
  try {
    error.assign(reason);
    error.append(more);
  } catch (...) {
    error.clear();
  }
  return false;
}

} // namespace

std::string KROStepEncode(const KROStepPlainRead& read) {
  try {
    const Json body = Writer::Put(read);
    std::string bytes(kHeaderSize, '\0');
    Json::to_cbor(body, bytes); // appends after the header
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    StoreLittle(bytes.data() + sizeof kMagic, KROStepWireVersion, 4);
    StoreLittle(bytes.data() + sizeof kMagic + 4, bytes.size() - kHeaderSize, 8);
    return bytes;
  } catch (...) {
    return {};
  }
}

bool KROStepDecode(std::string_view bytes, KROStepPlainRead& out, std::string& error) {
  try {
    // A prefix of the magic is a message cut short; anything else is not one.
    const std::size_t magic = std::min(bytes.size(), sizeof kMagic);
    if (magic > 0 && std::memcmp(bytes.data(), kMagic, magic) != 0)
      return Refused(error, "not a result of the reader");
    if (bytes.size() < kHeaderSize) return Refused(error, "result cut short");
    const std::uint64_t version = LoadLittle(bytes.data() + sizeof kMagic, 4);
    if (version != KROStepWireVersion)
      return Refused(error, "result format " + std::to_string(version) + ", expected " +
                                std::to_string(KROStepWireVersion));
    const std::uint64_t length = LoadLittle(bytes.data() + sizeof kMagic + 4, 8);
    if (length > KROStepWireMaxBody)
      return Refused(error, "result too large: a body of " + std::to_string(length) +
                                " bytes, at most " + std::to_string(KROStepWireMaxBody));
    const std::uint64_t given = bytes.size() - kHeaderSize;
    if (given < length) return Refused(error, "result cut short");
    if (given > length)
      return Refused(error, "malformed result: " + std::to_string(given - length) +
                                " bytes after the body");

    Json root;
    BoundedDocument document(root);
    const char* body = bytes.data() + kHeaderSize;
    if (!Json::sax_parse(body, body + length, &document, Json::input_format_t::cbor, true))
      return Refused(error, "malformed result: ", document.Problem());
    KROStepPlainRead read;
    Reader::Get(root, read, Where{});
    root = Json(); // the document's memory goes before the checks and the move
    CheckIndices(read);
    out = std::move(read);
    error.clear();
    return true;
  } catch (const Malformed& m) {
    return Refused(error, "malformed result: ", m.reason);
  } catch (const std::bad_alloc&) {
    return Refused(error, "result too large for the memory at hand");
  } catch (const std::exception& e) {
    return Refused(error, "malformed result: ", e.what());
  } catch (...) {
    return Refused(error, "malformed result");
  }
}
