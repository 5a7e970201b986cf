// KROStepMatch.cpp - the file's facts joined to what OCCT's document holds.
#include "KROStepMatch.h"

#include "KROStepNotation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>

namespace {

using Kind = KROStepAnnotation::Kind;

bool SameValue(double a, double b) {
  return std::fabs(a - b) <= 1e-6 * std::max({1.0, std::fabs(a), std::fabs(b)});
}

bool SameVec(const KROStepVec& a, const KROStepVec& b, double tolerance) {
  for (std::size_t i = 0; i < 3; ++i)
    if (!(std::fabs(a[i] - b[i]) <= tolerance)) return false;
  return true;
}

std::vector<int> Sorted(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  return v;
}

std::string NoColons(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ':'), s.end());
  return s;
}

class KROStepMatcher {
public:
  KROStepMatcher(const KROStepFileFacts& facts, KROStepPmi& pmi)
      : facts_(facts), pmi_(pmi), read_(std::move(pmi.objects)) {
    pmi.objects.clear();
    taken_.assign(read_.size(), false);
    toMm_ = facts.units.pmiMm / (facts.documentMm > 0 ? facts.documentMm : 1);
  }

  void Run() {
    pmi_.units.pmiName = facts_.units.pmiName;
    pmi_.units.pmiMm = facts_.units.pmiMm;
    pmi_.units.geometryName = facts_.units.geometryName;
    pmi_.units.geometryMm = facts_.units.geometryMm;
    pmi_.messages.insert(pmi_.messages.end(), facts_.messages.begin(), facts_.messages.end());
    for (const KROStepFileDimension& d : facts_.dimensions)
      AddDimension(d);
    for (const KROStepFileDatumFeature& f : facts_.datumFeatures)
      AddDatumFeature(f);
    for (const KROStepFileTolerance& t : facts_.tolerances)
      AddTolerance(t);
    for (const KROStepFileNote& n : facts_.notes)
      AddNote(n);
    AttachCallouts();
    KeepUnmatched();
    BuildViews();
  }

private:
  /// Each object takes the graphic of every callout that presents it (a callout naming it or
  /// the aspect it applies to, or a note's own callout), as the file draws it: the file's
  /// reading replaces OCCT's, so that one unit rule holds on every part. A callout that presents
  /// no PMI becomes an annotation of its own: graphic-only PMI.
  void AttachCallouts() {
    std::map<int, std::vector<std::size_t>> objectsOf;
    for (std::size_t i = 0; i < pmi_.objects.size(); ++i)
      if (pmi_.objects[i].fileEntity != 0) objectsOf[pmi_.objects[i].fileEntity].push_back(i);
    std::vector<bool> drawn(pmi_.objects.size(), false);
    for (const KROStepFileCallout& c : facts_.callouts) {
      if (c.polylines.empty() && c.triangles.empty()) continue;
      std::set<std::size_t> targets;
      for (int id : c.presents)
        for (std::size_t i : objectsOf[id])
          targets.insert(i);
      for (std::size_t i : objectsOf[c.entity])
        targets.insert(i);
      if (targets.empty())
        for (int id : c.presents)
          for (int i : Shown(id, c.name))
            targets.insert(static_cast<std::size_t>(i));
      if (targets.empty()) {
        AddGraphicOnly(c);
        continue;
      }
      for (std::size_t i : targets) {
        KROStepObject& o = pmi_.objects[i];
        if (!drawn[i]) {
          o.graphic.clear();
          o.triangles.clear();
          drawn[i] = true;
        }
        o.graphic.insert(o.graphic.end(), c.polylines.begin(), c.polylines.end());
        o.triangles.insert(o.triangles.end(), c.triangles.begin(), c.triangles.end());
        if (!o.plane) o.plane = c.plane;
      }
    }
  }

  /// A callout that presents no PMI: an annotation of the presentation-only type, named (and
  /// written) as the callout is, on no face.
  void AddGraphicOnly(const KROStepFileCallout& c) {
    KROStepObject o;
    o.kind = Kind::Note;
    o.type = KROStepTypeNote;
    o.name = NoColons(c.name.empty() ? std::string("callout") : c.name);
    o.text = o.name;
    o.hasValue = false;
    o.fileEntity = c.entity;
    o.graphic = c.polylines;
    o.triangles = c.triangles;
    o.plane = c.plane;
    objectOfEntity_[c.entity] = static_cast<int>(pmi_.objects.size());
    pmi_.objects.push_back(std::move(o));
  }

  std::vector<int> ReadTags(const KROStepObject& o) const {
    std::vector<int> tags;
    for (int s : o.shapes) {
      const auto& t = pmi_.shapes[static_cast<std::size_t>(s)].tags;
      tags.insert(tags.end(), t.begin(), t.end());
    }
    return Sorted(std::move(tags));
  }

  /// The first OCCT object left of `kind` that `accept` takes, preferring one on `tags`.
  int Find(Kind kind, const std::vector<int>& tags,
           const std::function<bool(const KROStepObject&)>& accept) const {
    int best = -1;
    for (std::size_t i = 0; i < read_.size(); ++i) {
      if (taken_[i] || read_[i].kind != kind || !accept(read_[i])) continue;
      if (ReadTags(read_[i]) == tags) return static_cast<int>(i);
      if (best < 0) best = static_cast<int>(i);
    }
    return best;
  }

  /// The new object takes over what OCCT read of `match` (graphic, plane, labels, faces), and
  /// the faces the file ties it to that OCCT did not.
  void Join(KROStepObject& o, int match, const std::vector<int>& fileTags, int entity) {
    std::vector<int> covered;
    if (match >= 0) {
      KROStepObject& r = read_[static_cast<std::size_t>(match)];
      taken_[static_cast<std::size_t>(match)] = true;
      o.labels = r.labels;
      o.shapes = r.shapes;
      o.plane = r.plane;
      o.graphic = std::move(r.graphic);
      covered = ReadTags(r);
    }
    std::vector<int> extra;
    for (int tag : fileTags)
      if (!std::binary_search(covered.begin(), covered.end(), tag)) extra.push_back(tag);
    if (extra.empty()) return;
    KROStepShape shape;
    shape.label = "#" + std::to_string(entity);
    const int first = extra.front();
    if (first >= 1 && static_cast<std::size_t>(first) <= pmi_.tags.size())
      shape.part = pmi_.tags[static_cast<std::size_t>(first - 1)].part;
    shape.tags = std::move(extra);
    o.shapes.push_back(static_cast<int>(pmi_.shapes.size()));
    pmi_.shapes.push_back(std::move(shape));
  }

  void MarkRecovered(KROStepObject& o, int match, const std::string& what,
                     const std::string& problem) const {
    if (match >= 0) return;
    o.recovered = what;
    o.recoveryReason = problem.empty() ? "not transferred" : problem;
  }

  void AddDimension(const KROStepFileDimension& d) {
    KROStepObject o;
    o.kind = Kind::Dimension;
    o.type = KROStepDimensionTypeOf(d);
    o.name = NoColons(d.name.empty() ? (d.type.empty() ? "dimension" : d.type) : d.name);
    o.fileEntity = d.entity;
    o.text = KROStepDimensionPmi(d, facts_.units);
    const std::optional<double> nominal =
        d.nominal ? d.nominal
                  : (d.upperLimit && d.lowerLimit
                         ? std::optional<double>((*d.upperLimit + *d.lowerLimit) / 2)
                         : std::nullopt);
    o.hasValue = nominal.has_value();
    if (nominal)
      o.value = d.angular ? *nominal : KROStepLengthMm(*nominal, facts_.units);
    else
      pmi_.messages.push_back(
          {KROStepMessage::Severity::Warning,
           "dimension #" + std::to_string(d.entity) + " has no value in the file"});
    const double inDocument = nominal ? *nominal * (d.angular ? 1 : toMm_) : 0;
    auto sameValue = [&](const KROStepObject& r) {
      if (!nominal) return r.value == 0;
      return SameValue(r.value, inDocument) || SameValue(r.value, *nominal);
    };
    int match = -1;
    if (!d.tags.empty()) {
      match = FindExact(Kind::Dimension, d.tags, sameValue);
      if (match < 0)
        match = FindExact(Kind::Dimension, d.tags, [](const KROStepObject& r) {
          return r.type != KROStepTypeOtherDimension;
        });
    } else {
      match = Find(Kind::Dimension, d.tags, [&](const KROStepObject& r) {
        return r.type != KROStepTypeOtherDimension && sameValue(r);
      });
    }
    Join(o, match, d.tags, d.entity);
    MarkRecovered(o, match, "dimension", std::string());
    objectOfEntity_[d.entity] = static_cast<int>(pmi_.objects.size());
    pmi_.objects.push_back(std::move(o));
  }

  /// Like Find, but only an object on exactly `tags`.
  int FindExact(Kind kind, const std::vector<int>& tags,
                const std::function<bool(const KROStepObject&)>& accept) const {
    for (std::size_t i = 0; i < read_.size(); ++i)
      if (!taken_[i] && read_[i].kind == kind && accept(read_[i]) && ReadTags(read_[i]) == tags)
        return static_cast<int>(i);
    return -1;
  }

  void AddDatumFeature(const KROStepFileDatumFeature& f) {
    const int number = f.target ? std::atoi(f.targetId.c_str()) : 0;
    const std::string key = f.letter + (f.target ? "/" + f.targetId : "");
    if (auto it = featureOfKey_.find(key); it != featureOfKey_.end()) {
      // The same datum feature stated twice: one annotation with the faces of both.
      KROStepObject& o = pmi_.objects[static_cast<std::size_t>(it->second)];
      Join(o, -1, f.tags, f.entity);
      objectOfEntity_[f.entity] = it->second;
      return;
    }
    KROStepObject o;
    o.kind = f.target ? Kind::DatumTarget : Kind::Datum;
    o.type = f.target ? KROStepTypeDatumTarget : KROStepTypeDatumFeature;
    o.datumLetter = f.letter;
    o.targetNumber = number;
    o.hasValue = false;
    o.fileEntity = f.entity;
    o.text = KROStepDatumFeaturePmi(f, facts_.units);
    o.name = NoColons(f.target ? "datum target " + f.letter + f.targetId : "datum " + f.letter);
    if (f.target && f.targetSize) {
      o.value = KROStepLengthMm(*f.targetSize, facts_.units);
      o.hasValue = true;
    }
    // OCCT makes one datum per reference a tolerance makes: every one of the letter is this.
    int match = -1;
    for (std::size_t i = 0; i < read_.size(); ++i) {
      const KROStepObject& r = read_[i];
      if (taken_[i] || (r.kind != Kind::Datum && r.kind != Kind::DatumTarget) ||
          r.datumLetter != f.letter || r.targetNumber != number)
        continue;
      match = static_cast<int>(i);
      break;
    }
    Join(o, match, f.tags, f.entity);
    MarkRecovered(o, match, f.target ? "datum_target" : "datum", std::string());
    featureOfKey_[key] = static_cast<int>(pmi_.objects.size());
    objectOfEntity_[f.entity] = static_cast<int>(pmi_.objects.size());
    pmi_.objects.push_back(std::move(o));
  }

  void AddTolerance(const KROStepFileTolerance& t) {
    KROStepObject o;
    o.kind = Kind::Tolerance;
    o.type = t.kind >= 0 ? KROStepToleranceKinds[static_cast<std::size_t>(t.kind)].type
                         : KROStepTypeUnknownTolerance;
    o.name = NoColons(t.name.empty() || t.name.rfind("DGT:", 0) == 0 ? std::string("tolerance")
                                                                     : t.name);
    o.fileEntity = t.entity;
    o.hasValue = t.value.has_value();
    o.value = t.value ? KROStepLengthMm(*t.value, facts_.units) : 0;
    o.text = KROStepTolerancePmi(t, facts_);
    const double inDocument = t.value ? *t.value * toMm_ : 0;
    const bool lost = !t.magnitudeProblem.empty() || !t.value;
    int match = -1;
    for (int pass = 1; pass <= 4 && match < 0; ++pass) {
      if (pass == 4 && t.tags.empty()) break;
      match = Find(Kind::Tolerance, t.tags, [&](const KROStepObject& r) {
        if (r.type != o.type || r.fileEntity != 0) return false;
        if ((pass == 1 || pass == 3) && r.name != o.name) return false;
        if (pass <= 2 && !(lost ? r.value == 0 : SameValue(r.value, inDocument))) return false;
        if (pass == 4 && ReadTags(r) != t.tags) return false;
        return true;
      });
    }
    if (match >= 0 && !t.magnitudeProblem.empty() && t.value &&
        read_[static_cast<std::size_t>(match)].value == 0) {
      o.recovered = "magnitude";
      o.recoveryReason = t.magnitudeProblem;
    }
    Join(o, match, t.tags, t.entity);
    MarkRecovered(o, match, "tolerance", t.problem);
    if (match < 0 && t.tags.empty())
      pmi_.messages.push_back(
          {KROStepMessage::Severity::Warning,
           "tolerance #" + std::to_string(t.entity) + " touches no face or edge of a part"});
    // Its datum system: each compartment names the datum feature of its (first) letter.
    o.framePmi = KROStepDatumSystemPmi(t.datums);
    for (const KROStepFileCompartment& c : t.datums) {
      if (c.members.empty()) continue;
      const std::string text = KROStepDatumSystemPmi({c});
      auto it = featureOfKey_.find(c.members.front().letter);
      if (it == featureOfKey_.end()) {
        pmi_.messages.push_back(
            {KROStepMessage::Severity::Warning, "tolerance #" + std::to_string(t.entity) +
                                                    " names datum " + c.members.front().letter +
                                                    ", which the file does not "
                                                    "place on a feature"});
        continue;
      }
      o.datums.push_back({it->second, NoColons(text)});
    }
    objectOfEntity_[t.entity] = static_cast<int>(pmi_.objects.size());
    pmi_.objects.push_back(std::move(o));
  }

  void AddNote(const KROStepFileNote& n) {
    KROStepObject o;
    o.kind = Kind::Note;
    o.type = KROStepTypeNote;
    o.name = NoColons(n.name.empty() ? std::string("note") : n.name);
    o.text = NoColons(n.text);
    o.hasValue = false;
    o.fileEntity = n.entity;
    // OCCT reads a note as a dimension of no value, labelled with the callout's name.
    int match = -1;
    for (std::size_t i = 0; i < read_.size() && match < 0; ++i)
      if (!taken_[i] && read_[i].kind == Kind::Dimension && read_[i].name == n.name &&
          read_[i].value == 0)
        match = static_cast<int>(i);
    if (match < 0)
      match = FindExact(Kind::Dimension, n.tags, [](const KROStepObject& r) {
        return r.type == KROStepTypeOtherDimension && r.value == 0;
      });
    Join(o, match, n.tags, n.entity);
    objectOfEntity_[n.entity] = static_cast<int>(pmi_.objects.size());
    pmi_.objects.push_back(std::move(o));
  }

  /// OCCT objects no fact matched. A dimension of no value on no face is a label-only object
  /// OCCT made of a callout's text: the file's own notes and dimensions stand for every callout,
  /// so it is left out. Anything else stays as OCCT read it.
  void KeepUnmatched() {
    for (std::size_t i = 0; i < read_.size(); ++i) {
      if (taken_[i]) continue;
      KROStepObject& r = read_[i];
      if (r.kind == Kind::Dimension && r.value == 0 &&
          (r.type == KROStepTypeOtherDimension || ReadTags(r).empty())) {
        // What OCCT made of a callout the file states no dimension for: the file's notes
        // already stand for every callout with no semantic PMI.
        if (facts_.read) {
          pmi_.messages.push_back({KROStepMessage::Severity::Warning,
                                   "OCCT's label-only object " +
                                       (r.labels.empty() ? r.name : r.labels.front()) +
                                       " matches no PMI of the file; left out"});
          continue;
        }
        r.kind = Kind::Note;
        r.type = KROStepTypeNote;
        r.hasValue = false;
        r.text = r.name;
      }
      pmi_.objects.push_back(std::move(r));
    }
  }

  /// The objects a camera's presentation stands for.
  std::vector<int> Shown(int id, const std::string& name) const {
    if (auto it = objectOfEntity_.find(id); it != objectOfEntity_.end()) return {it->second};
    // An association naming the aspect: the PMI on it, told apart by the presentation's name.
    std::vector<int> all, named;
    auto consider = [&](int entity, const std::vector<int>& aspects) {
      if (std::find(aspects.begin(), aspects.end(), id) == aspects.end()) return;
      auto it = objectOfEntity_.find(entity);
      if (it == objectOfEntity_.end()) return;
      all.push_back(it->second);
      if (pmi_.objects[static_cast<std::size_t>(it->second)].name == name)
        named.push_back(it->second);
    };
    for (const KROStepFileTolerance& t : facts_.tolerances)
      consider(t.entity, t.aspects);
    for (const KROStepFileDimension& d : facts_.dimensions)
      consider(d.entity, d.aspects);
    return named.empty() ? all : named;
  }

  void BuildViews() {
    if (facts_.cameras.empty()) return; // OCCT's views stand
    pmi_.views.clear();
    for (const KROStepFileCamera& c : facts_.cameras) {
      if (!c.presentsPmi) {
        pmi_.cameras.push_back({c.name, c.entity, "shows no PMI"});
        continue;
      }
      const double tolerance = 1e-6 * std::max(1.0, pmi_.partSize);
      auto same =
          std::find_if(pmi_.views.begin(), pmi_.views.end(), [&](const KROStepSavedView& v) {
            return v.name == c.name && SameVec(v.origin, c.origin, tolerance) &&
                   SameVec(v.direction, c.direction, 1e-9) && SameVec(v.zenith, c.zenith, 1e-9);
          });
      if (same != pmi_.views.end()) {
        pmi_.cameras.push_back({c.name, c.entity, "repeats saved view " + same->name});
        continue;
      }
      KROStepSavedView v;
      v.name = c.name;
      v.label = "#" + std::to_string(c.entity);
      v.origin = c.origin;
      v.direction = c.direction;
      v.zenith = c.zenith;
      v.target = KROStepNearestOnLine(c.origin, c.direction, pmi_.center);
      v.cameraType = c.cameraType;
      v.clipping = c.clipping;
      v.fileEntity = c.entity;
      for (std::size_t k = 0; k < c.shownIds.size(); ++k)
        for (int object : Shown(c.shownIds[k], k < c.shownNames.size() ? c.shownNames[k] : ""))
          if (std::find(v.objects.begin(), v.objects.end(), object) == v.objects.end())
            v.objects.push_back(object);
      pmi_.views.push_back(std::move(v));
    }
  }

  const KROStepFileFacts& facts_;
  KROStepPmi& pmi_;
  std::vector<KROStepObject> read_; ///< what OCCT's document gave
  std::vector<bool> taken_;
  double toMm_ = 1; ///< a PMI length in the document's unit
  std::map<int, int> objectOfEntity_;
  std::map<std::string, int> featureOfKey_;
};

} // namespace

KROStepTypeCode KROStepDimensionTypeOf(const KROStepFileDimension& d) {
  const std::string& t = d.type;
  auto has = [&](const char* word) { return t.find(word) != std::string::npos; };
  if (d.location) {
    if (d.angular || has("angular")) return KROStepTypeAngularLocation;
    if (has("linear")) return KROStepTypeLinearLocation;
    return KROStepTypeOtherLocation;
  }
  if (d.angular || has("angular")) return KROStepTypeAngularSize;
  if (has("spherical") || has("toroidal")) return KROStepTypeSphericalOrToroidal;
  if (has("diameter")) return KROStepTypeDiameter;
  if (has("radius")) return KROStepTypeRadius;
  return KROStepTypeOtherSize;
}

void KROStepMatchFacts(const KROStepFileFacts& facts, KROStepPmi& pmi) {
  if (!facts.read) return;
  KROStepMatcher(facts, pmi).Run();
}
