// KROStepWireTest.cpp - the worker's result as bytes: every field comes back, nothing the host is
// sent can crash it or hand the model side an index out of range.
#include "KROStepWire.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;
using Kind = KROStepAnnotation::Kind;
using Severity = KROStepMessage::Severity;

constexpr std::size_t kHeader = 20;
constexpr double kInf = std::numeric_limits<double>::infinity();

/// A fact with its entity only: its optionals absent, its lists empty.
template <class Fact> Fact Bare(int entity) {
  Fact fact;
  fact.entity = entity;
  return fact;
}

/// A read with every field of every struct away from its default (in the first element of each
/// list; later elements leave optionals out), so that a field the format drops cannot come back.
KROStepPlainRead Full() {
  KROStepPlainRead r;
  r.ok = true;
  KROStepPmi& p = r.pmi;
  p.parts = {{"bracket", "0:1:1:1", 6, 12, KROStepBox{{-1, -2, -3}, {4, 5, kInf}}},
             {"pin ⌀4\nsecond line", "0:1:1:2", 3, 2, std::nullopt}};
  p.tags = {{.tag = 1,
             .part = 1,
             .kind = KROStepTag::Kind::Edge,
             .subIndex = 3,
             .subShapeLabel = "0:1:1:2:5"},
            {2, 0, KROStepTag::Kind::Face, 1, ""}};
  p.shapes = {{"0:1:4:1", 1, {1, 2}}, {"", -1, {}}};
  KROStepObject tolerance{.kind = Kind::Note,
                          .type = KROStepTypeForm,
                          .name = "flatness ▱",
                          .text = "▱ 0.05\n| A |",
                          .value = 0.05,
                          .hasValue = false,
                          .labels = {"0:1:4:5", "0:1:4:6"},
                          .shapes = {0, 1},
                          .plane = KROStepPlane{{1, 2, 3}, {0, 0, 1}, {1, 0, 0}},
                          .datums = {{1, "B Ⓜ"}},
                          .framePmi = "| B Ⓜ |",
                          .graphic = {{{0, 0, 0}, {1, 1, 1}}, {{2, 2, 2}, {kInf, -0.0, 1e-310}}},
                          .triangles = {{0, 0, 0}, {1, 0, 0}, {0, 1, -0.0}},
                          .datumLetter = "B",
                          .targetNumber = 2,
                          .recovered = "magnitude",
                          .recoveryReason = "not transferred",
                          .fileEntity = 1234};
  KROStepObject datum;
  datum.kind = Kind::Datum;
  datum.name = "datum B";
  p.objects = {tolerance, datum};
  p.views = {{"front ⟂",
              "0:1:7:1",
              {1, 2, 3},
              {0, 0, -1},
              {0, 1, 0},
              {4, 5, 6},
              KROStepCameraCentral,
              KROStepClipFront | KROStepClipBack | KROStepClipSides,
              {1, 0},
              true,
              "no view in OCCT",
              77}};
  p.cameras = {{"iso", 88, "shows no PMI"}};
  p.units = {"inch", 25.4, "metre", 1000};
  p.partSize = 123.5;
  p.center = {1.5, -2, 3};
  p.geometry.faces = {{1, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}};
  p.geometry.edges = {{2, {{0, 0, 0}, {0, 0, 5}}}, {3, {}}};
  p.messages = {{Severity::Error, "pmi ⚠\nnext"}, {Severity::Warning, ""}};

  KROStepFileFacts& f = r.facts;
  f.read = true;
  f.units = {"inch", 25.4, "metre", 1000, 57.29};
  f.documentMm = 25.4;
  f.dimensions = {{101,
                   "D1",
                   true,
                   "linear distance",
                   true,
                   35,
                   0.1,
                   -0.2,
                   2,
                   3,
                   35.2,
                   34.8,
                   "H7",
                   4,
                   "MAX",
                   {"reference"},
                   2,
                   {201},
                   {1}},
                  Bare<KROStepFileDimension>(102)};
  const KROStepFileCompartment compartment{{{"A", {"free state"}}}, {"common datum"}};
  f.datumSystems = {{301, {compartment}}};
  f.tolerances = {{401,  "T",  14, 0.05, "bad unit",    "S⌀",  {"all around"}, 10,
                   true, 0.01, 25, 30,   "rectangular", 0.2,   {compartment},  301,
                   true, 400,  1,  "C",  "p",           {202}, {1, 2}},
                  Bare<KROStepFileTolerance>(402)};
  f.datumFeatures = {{501, "DF", "B", true, "1", "circle", 4, 6, true, {2}},
                     Bare<KROStepFileDatumFeature>(502)};
  f.notes = {{701, "flag", "NOTE 1\nsecond", {1}}};
  f.cameras = {{601,
                "cam",
                {1, 2, 3},
                {0, 0, 1},
                {0, 1, 0},
                KROStepCameraCentral,
                5,
                "q",
                {401},
                {"T"},
                true}};
  f.callouts = {{801,
                  "callout ⌖",
                  {802, 803},
                  {401, 501},
                  {{{0, 0, 0}, {1, 2, 3}}},
                  {{0, 0, 0}, {1, 0, 0}, {0, 1, -0.0}},
                  KROStepPlane{{1, 2, 3}, {0, 0, 1}, {1, 0, 0}}},
                 Bare<KROStepFileCallout>(804)};
  f.messages = {{Severity::Error, "record #9 skipped"}};
  r.messages = {{Severity::Error, "read ✓"}};
  r.readSeconds = 1.25;
  r.walkSeconds = 0.5;
  r.recoverSeconds = 0.125;
  return r;
}

std::string Header(std::uint32_t version, std::uint64_t length) {
  std::string h("KROSTEP", 8);
  for (int b = 0; b < 4; ++b)
    h += static_cast<char>((version >> (8 * b)) & 0xFF);
  for (int b = 0; b < 8; ++b)
    h += static_cast<char>((length >> (8 * b)) & 0xFF);
  return h;
}

/// A message of `body` bytes behind a right header.
std::string Message(const std::string& body) {
  return Header(KROStepWireVersion, body.size()) + body;
}
std::string Message(const Json& body) {
  std::string cbor;
  Json::to_cbor(body, cbor);
  return Message(cbor);
}
Json BodyOf(const std::string& message) { return Json::from_cbor(message.substr(kHeader)); }

/// Decodes; the error when refused, "" when decoded.
std::string Refusal(const std::string& bytes, KROStepPlainRead* decoded = nullptr) {
  KROStepPlainRead out;
  std::string error;
  const bool ok = KROStepDecode(bytes, out, error);
  if (ok && decoded) *decoded = out;
  EXPECT_EQ(ok, error.empty()) << error;
  return ok ? std::string() : error;
}

/// The indices the model side follows without checking, all in range.
bool IndicesHold(const KROStepPlainRead& r) {
  auto in = [](int v, int lowest, std::size_t n) {
    return v >= lowest && (v < 0 || static_cast<std::size_t>(v) < n);
  };
  const KROStepPmi& p = r.pmi;
  for (std::size_t i = 0; i < p.tags.size(); ++i)
    if (p.tags[i].tag != static_cast<int>(i + 1) || !in(p.tags[i].part, 0, p.parts.size()))
      return false;
  for (const KROStepShape& s : p.shapes)
    if (!in(s.part, -1, p.parts.size())) return false;
  for (const KROStepObject& o : p.objects) {
    for (int s : o.shapes)
      if (!in(s, 0, p.shapes.size())) return false;
    for (const KROStepDatumRef& d : o.datums)
      if (!in(d.feature, 0, p.objects.size())) return false;
  }
  for (const KROStepSavedView& v : p.views)
    for (int o : v.objects)
      if (!in(o, 0, p.objects.size())) return false;
  for (const KROStepFileTolerance& t : r.facts.tolerances)
    if (!in(t.kind, -1, KROStepToleranceKinds.size()) ||
        !in(t.dimension, -1, r.facts.dimensions.size()))
      return false;
  return true;
}

TEST(KROStepWire, EveryFieldComesBack) {
  const KROStepPlainRead original = Full();
  const std::string bytes = KROStepEncode(original);
  ASSERT_GT(bytes.size(), kHeader);
  KROStepPlainRead decoded;
  ASSERT_EQ(Refusal(bytes, &decoded), "");
  // Group by group first, to say where a dropped field is; then the whole.
  EXPECT_TRUE(decoded.pmi.parts == original.pmi.parts);
  EXPECT_TRUE(decoded.pmi.tags == original.pmi.tags);
  EXPECT_TRUE(decoded.pmi.shapes == original.pmi.shapes);
  EXPECT_TRUE(decoded.pmi.objects == original.pmi.objects);
  EXPECT_TRUE(decoded.pmi.views == original.pmi.views);
  EXPECT_TRUE(decoded.pmi.cameras == original.pmi.cameras);
  EXPECT_TRUE(decoded.pmi.units == original.pmi.units);
  EXPECT_TRUE(decoded.pmi.geometry == original.pmi.geometry);
  EXPECT_TRUE(decoded.pmi.messages == original.pmi.messages);
  EXPECT_TRUE(decoded.facts.dimensions == original.facts.dimensions);
  EXPECT_TRUE(decoded.facts.tolerances == original.facts.tolerances);
  EXPECT_TRUE(decoded.facts.datumFeatures == original.facts.datumFeatures);
  EXPECT_TRUE(decoded.facts.datumSystems == original.facts.datumSystems);
  EXPECT_TRUE(decoded.facts.notes == original.facts.notes);
  EXPECT_TRUE(decoded.facts.cameras == original.facts.cameras);
  EXPECT_TRUE(decoded.facts == original.facts);
  EXPECT_TRUE(decoded == original);
  // Points travel as their bits: the sign of zero and a denormal survive.
  EXPECT_TRUE(std::signbit(decoded.pmi.objects[0].graphic[1][1][1]));
  EXPECT_EQ(decoded.pmi.objects[0].graphic[1][1][2], 1e-310);
  // Points are byte strings, not number lists.
  EXPECT_TRUE(BodyOf(bytes)["pmi"]["geometry"]["faces"][0]["points"].is_binary());
}

TEST(KROStepWire, EmptyReadComesBackOverAFullOne) {
  KROStepPlainRead out = Full(); // decoding replaces, it does not add to what was there
  std::string error;
  ASSERT_TRUE(KROStepDecode(KROStepEncode(KROStepPlainRead()), out, error)) << error;
  EXPECT_TRUE(out == KROStepPlainRead());
}

TEST(KROStepWire, RefusesBadHeaders) {
  const std::string good = KROStepEncode(Full());
  const std::string body = good.substr(kHeader);
  std::string wrong = good;
  wrong[3] = 'x';
  EXPECT_EQ(Refusal(wrong), "not a result of the reader");
  EXPECT_EQ(Refusal("{\"ok\":true}"), "not a result of the reader");
  EXPECT_EQ(Refusal(Header(99, body.size()) + body),
            "result format 99, expected " + std::to_string(KROStepWireVersion));
  EXPECT_EQ(Refusal(good + "x"), "malformed result: 1 bytes after the body");
  // A claim beyond the bound is refused from the header alone, before anything is allocated.
  for (std::uint64_t claim :
       {KROStepWireMaxBody + 1, std::uint64_t{1} << 62, std::numeric_limits<std::uint64_t>::max()})
    EXPECT_EQ(
        Refusal(Header(KROStepWireVersion, claim) + body).rfind("result too large: a body of ", 0),
        0u);

  // Out is left alone when refused.
  KROStepPlainRead out = Full();
  std::string error;
  EXPECT_FALSE(KROStepDecode(wrong, out, error));
  EXPECT_TRUE(out == Full());
}

TEST(KROStepWire, RefusesEveryCut) {
  const std::string bytes = KROStepEncode(Full());
  for (std::size_t n = 0; n < bytes.size(); ++n)
    ASSERT_EQ(Refusal(bytes.substr(0, n)), "result cut short") << "cut at " << n;
  // The header agreeing with a cut body: the CBOR itself ends early.
  const std::string body = bytes.substr(kHeader, bytes.size() / 2);
  EXPECT_EQ(Refusal(Message(body)).rfind("malformed result: bad CBOR at byte", 0), 0u);
}

TEST(KROStepWire, SurvivesFlippedBytes) {
  const std::string bytes = KROStepEncode(Full());
  const std::size_t body = bytes.size() - kHeader;
  int decoded = 0;
  for (std::size_t k = 0; k < 400; ++k) {
    std::string flipped = bytes;
    const std::size_t at = kHeader + (k * 7919) % body;
    flipped[at] = static_cast<char>(flipped[at] ^ static_cast<char>(1 + (k * 37) % 255));
    KROStepPlainRead out;
    if (Refusal(flipped, &out).empty()) {
      ++decoded;
      EXPECT_TRUE(IndicesHold(out)) << "flip at " << at;
    }
  }
  EXPECT_GT(decoded, 0); // texts and coordinates take any byte: some flips must pass
  EXPECT_LT(decoded, 400);
}

TEST(KROStepWire, RefusesIndicesOutOfRange) {
  struct Case {
    const char* names;
    std::function<void(KROStepPlainRead&)> corrupt;
  };
  const std::vector<Case> cases = {
      {"pmi.objects[0].shapes[1] is 2,", [](auto& r) { r.pmi.objects[0].shapes[1] = 2; }},
      {"pmi.objects[0].shapes[0] is -1,", [](auto& r) { r.pmi.objects[0].shapes[0] = -1; }},
      {"pmi.objects[0].datums[0].feature is 2,",
       [](auto& r) { r.pmi.objects[0].datums[0].feature = 2; }},
      {"pmi.views[0].objects[1] is -5,", [](auto& r) { r.pmi.views[0].objects[1] = -5; }},
      {"pmi.shapes[1].part is 2,", [](auto& r) { r.pmi.shapes[1].part = 2; }},
      {"pmi.shapes[0].part is -2,", [](auto& r) { r.pmi.shapes[0].part = -2; }},
      {"pmi.tags[0].part is -1,", [](auto& r) { r.pmi.tags[0].part = -1; }},
      {"pmi.tags[1].part is 2,", [](auto& r) { r.pmi.tags[1].part = 2; }},
      {"pmi.tags[1].tag is 1, expected 2", [](auto& r) { r.pmi.tags[1].tag = 1; }},
      {"pmi.tags[0].tag is 2, expected 1", [](auto& r) { r.pmi.tags.erase(r.pmi.tags.begin()); }},
      {"facts.tolerances[0].dimension is 2,", [](auto& r) { r.facts.tolerances[0].dimension = 2; }},
      {"facts.tolerances[1].dimension is -2,",
       [](auto& r) { r.facts.tolerances[1].dimension = -2; }},
      {"facts.tolerances[0].kind is 15,", [](auto& r) { r.facts.tolerances[0].kind = 15; }},
      {"pmi.views[0].cameraType is 2,", [](auto& r) { r.pmi.views[0].cameraType = 2; }},
      {"pmi.views[0].clipping is 8,", [](auto& r) { r.pmi.views[0].clipping = 8; }},
      {"facts.cameras[0].clipping is -1,", [](auto& r) { r.facts.cameras[0].clipping = -1; }},
      {"pmi.objects[1].kind is 5,", [](auto& r) { r.pmi.objects[1].kind = Kind(5); }},
      {"pmi.tags[0].kind is -1,", [](auto& r) { r.pmi.tags[0].kind = KROStepTag::Kind(-1); }},
      {"pmi.messages[1].severity is 2,", [](auto& r) { r.pmi.messages[1].severity = Severity(2); }},
      {"facts.messages[0].severity is 9,",
       [](auto& r) { r.facts.messages[0].severity = Severity(9); }},
      {"messages[0].severity is 2,", [](auto& r) { r.messages[0].severity = Severity(2); }},
  };
  for (const Case& c : cases) {
    KROStepPlainRead r = Full();
    c.corrupt(r);
    const std::string error = Refusal(KROStepEncode(r));
    EXPECT_NE(error.find(c.names), std::string::npos) << c.names << " -> " << error;
    EXPECT_EQ(error.rfind("malformed result: ", 0), 0u) << error;
  }
}

TEST(KROStepWire, RefusesMalformedFields) {
  const Json good = BodyOf(KROStepEncode(Full()));
  struct Case {
    const char* names;
    std::function<void(Json&)> corrupt;
  };
  const std::vector<Case> cases = {
      {"pmi.geometry.faces[0].points has 25 bytes, not whole points",
       [](Json& b) {
         b["pmi"]["geometry"]["faces"][0]["points"] = Json::binary(std::vector<std::uint8_t>(25));
       }},
      {"pmi.objects[0].graphic[1] has 47 bytes",
       [](Json& b) { b["pmi"]["objects"][0]["graphic"][1].get_binary().pop_back(); }},
      {"pmi.geometry.edges[0].points is not a byte string",
       [](Json& b) {
         b["pmi"]["geometry"]["edges"][0]["points"] = Json::array({0, 0, 5});
       }},
      {"pmi.units is missing", [](Json& b) { b["pmi"].erase("units"); }},
      {"pmi.parts[0].faceCount is not an integer",
       [](Json& b) { b["pmi"]["parts"][0]["faceCount"] = "six"; }},
      {"pmi.tags[0].part is not an integer", [](Json& b) { b["pmi"]["tags"][0]["part"] = 0.5; }},
      {"pmi.tags[0].subIndex is 1099511627776, out of range",
       [](Json& b) { b["pmi"]["tags"][0]["subIndex"] = std::int64_t{1} << 40; }},
      {"pmi.objects[0].type is 70000, out of range",
       [](Json& b) { b["pmi"]["objects"][0]["type"] = 70000; }},
      {"pmi.center is not three numbers",
       [](Json& b) {
         b["pmi"]["center"] = {1, 2};
       }},
      {"pmi.objects[0].plane.normal[2] is not a number",
       [](Json& b) { b["pmi"]["objects"][0]["plane"]["normal"][2] = nullptr; }},
      {"facts.dimensions[0].nominal is not a number",
       [](Json& b) { b["facts"]["dimensions"][0]["nominal"] = "35"; }},
      {"ok is not a boolean", [](Json& b) { b["ok"] = 1; }},
      {"pmi.views[0] is not a record", [](Json& b) { b["pmi"]["views"][0] = Json::array(); }},
      {"facts.notes is not a list", [](Json& b) { b["facts"]["notes"] = Json::object(); }},
      {"the body is not a record", [](Json& b) { b = 7; }},
  };
  for (const Case& c : cases) {
    Json body = good;
    c.corrupt(body);
    EXPECT_EQ(Refusal(Message(body)).find(c.names), 18u) << c.names;
  }
  // Non-finite coordinates pass: the model side copes with them.
  Json body = good;
  body["pmi"]["center"] = {kInf, -kInf, std::numeric_limits<double>::quiet_NaN()};
  KROStepPlainRead out;
  EXPECT_EQ(Refusal(Message(body), &out), "");
  EXPECT_TRUE(std::isnan(out.pmi.center[2]));
}

TEST(KROStepWire, RefusesHostileBodiesWithoutAllocatingTheirClaims) {
  // CBOR heads claiming 2^62 bytes of binary and text, and 2^60 list items, in nine bytes.
  for (char head : {'\x5B', '\x7B', '\x9B'}) {
    std::string claim(1, head);
    claim += std::string("\x40\0\0\0\0\0\0\0", 8);
    if (head == '\x9B') claim[1] = '\x10';
    EXPECT_EQ(Refusal(Message(claim)).rfind("malformed result: bad CBOR at byte", 0), 0u);
  }
  // Nesting far deeper than the format's is refused before the parser recurses into it.
  EXPECT_EQ(Refusal(Message(std::string(200000, '\x81') + '\0')),
            "malformed result: nested deeper than 32 levels");
  // A big list of nulls is cheap to send; the first one is refused, no records are made.
  Json body = BodyOf(KROStepEncode(Full()));
  body["pmi"]["objects"] = Json::array();
  body["pmi"]["objects"].get_ref<Json::array_t&>().resize(200000);
  EXPECT_EQ(Refusal(Message(body)), "malformed result: pmi.objects[0] is not a record");
  // CBOR tags and bytes past the top value are not the format's.
  EXPECT_EQ(Refusal(Message(std::string("\xC1\x00", 2))).rfind("malformed result: bad CBOR", 0),
            0u);
  EXPECT_EQ(Refusal(Message(KROStepEncode(KROStepPlainRead()).substr(kHeader) + '\0'))
                .rfind("malformed result: bad CBOR", 0),
            0u);
}

} // namespace
