// KROPmiModel.h - the light model as kro-pmi reads it back: through the kernel's interfaces, as
// any host would, with one id rule for every output (the id broker's, from 1).
#pragma once

#include "KROComPtr.h"
#include "KROITPSIdBroker.h"
#include "KROITPSLightCapture.h"
#include "KROITPSLightSet.h"
#include "KROITPSLightSetServices.h"
#include "KROStepImport.h"

#include <nlohmann/json.hpp>

#include <array>
#include <string>
#include <vector>

/// A capture (a saved view) of the model: its camera and what it shows.
struct KROPmiCapture {
  /// Its position in the capture list, from 1 (the broker numbers no captures; this counts as it
  /// counts the other lists, and is the capture's index the importer gives it).
  int id = 0;
  std::string name, label; ///< UTF-8; empty when it has none
  std::array<double, 3> origin{}, direction{}, zenith{}, target{};
  bool central = false;                   ///< a perspective camera, else a parallel one
  int clipping = 0;                       ///< the capture's clipping plane flag
  std::vector<int> annotations;           ///< annotation ids it shows
  std::vector<int> views;                 ///< annotation-plane (view) ids it shows
  const KROStepCapture* info = nullptr;   ///< the importer's side entry for it, when there is one
  KROComPtr<KROITPSLightCapture> capture; ///< the model's object
};

/// Broker kinds: the lists the id broker numbers.
enum KROPmiKind : int {
  kKROPmiAnnotation = 1,
  kKROPmiView = 2,
  kKROPmiRefFrame = 4,
};

/// Reads one import's model. The result must outlive the reader.
class KROPmiModel {
public:
  explicit KROPmiModel(const KROStepImportResult& r);

  /// Broker id from 1; 0 when the object is not in the set's list of that kind.
  int Id(KROBaseUnknown* object, int kind) const;
  /// The object of that id and kind, borrowed (the set's list keeps it); null when none.
  KROBaseUnknown* Object(int id, int kind) const;
  /// Broker ids of the items of a list, those the set knows.
  std::vector<int> Ids(list<KROBaseUnknown>* items, int kind) const;
  /// Annotation ids the library's tag query answers for `tag`.
  std::vector<int> Touching(int tag) const;

  /// Every annotation, in id order: id, kind, type, name, value, pmi, tags, frame, view...
  const std::vector<nlohmann::json>& Annotations() const { return annotations_; }
  /// The reference frames (datum systems): id, text, pmi, datums.
  nlohmann::json Frames() const;
  /// The annotation planes: id, name, origin, directions, annotations.
  nlohmann::json Views() const;
  /// The captures, in list order.
  const std::vector<KROPmiCapture>& Captures() const { return captures_; }
  /// The capture named `which`, or of id `which`; null when there is none.
  const KROPmiCapture* FindCapture(const std::string& which) const;
  /// The captures as JSON.
  nlohmann::json CapturesJson() const;
  /// Number of items in one of the set's lists.
  int Count(HRESULT (KROITPSLightSet::*get)(list<KROBaseUnknown>**)) const;

private:
  nlohmann::json Annotation(const KROStepAnnotation& a) const;

  const KROStepImportResult& r_;
  KROComPtr<KROITPSIdBroker> broker_;
  KROComPtr<KROITPSLightSetServices> services_;
  std::vector<KROPmiCapture> captures_;
  std::vector<nlohmann::json> annotations_;
};
