// KROTPSTagIndex.cpp
#include "KROTPSTagIndex.h"

#include "KROComPtr.h"
#include "KROITPSLight.h"
#include "KROITPSLightModel.h"
#include "KROITPSLightTTRS.h"
#include "KRORawColl.h"
#include "KROTPSLightOwnObjects.h"
#include "KROTPSLightTPS.h"
#include "KROTPSLightTTRS.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <numeric>
#include <typeinfo>
#include <unordered_map>
#include <utility>

namespace {
using Objects = list<KROBaseUnknown>;

/// Calls visit(end, index) for every non-empty path of every TTRS, in list and path order, whose
/// last id `keep` accepts; `index` is the TTRS's index (0 when it writes none). A TTRS that lacks
/// either interface contributes nothing.
template <class Keep, class Visit>
void ForEachPathEnd(const Objects& ttrs, Keep keep, Visit visit) {
  KRORawCollPV paths;
  const int count = ttrs.Size();
  for (int i = 0; i < count; ++i) {
    KROBaseUnknown* item = ttrs.At(i);
    if (const KROTPSLightTTRS* own = KROExactly<KROTPSLightTTRS>(item)) {
      const KRORawCollPV& ownPaths = own->GeomPaths();
      for (int p = 1; p <= ownPaths.Size(); ++p) {
        const auto* path = static_cast<const KRORawCollint*>(ownPaths[p]);
        if (path && path->Size() >= 1 && keep((*path)[path->Size()]))
          visit((*path)[path->Size()], own->Index());
      }
      continue;
    }
    KROComPtr<KROITPSLightTTRS> one;
    if (!item || FAILED(item->QueryInterface(IID_KROITPSLightTTRS, one.Put())) || !one) continue;
    if (FAILED(one->GetGeomPathId(&paths))) continue;
    bool asked = false;
    bool known = false;
    int index = 0;
    for (int p = 1; p <= paths.Size(); ++p) {
      const auto* path = static_cast<const KRORawCollint*>(paths[p]);
      if (!path || path->Size() < 1) continue;
      const int end = (*path)[path->Size()];
      if (!keep(end)) continue;
      if (!asked) {
        asked = true;
        KROComPtr<KROITPSLight> light;
        known = SUCCEEDED(one->QueryInterface(IID_KROITPSLight, light.Put())) && light;
        if (known) light->GetIndex(&index);
      }
      if (known) visit(end, index);
    }
  }
}

/// Calls visit(annotation, linkId) for every TTRS link id of every annotation, in list and link
/// order, until it answers false.
template <class Visit> bool ForEachLinkId(const Objects& annotations, Visit visit) {
  const int count = annotations.Size();
  for (int i = 0; i < count; ++i) {
    KROBaseUnknown* item = annotations.At(i);
    if (const KROTPSLightTPS* own = KROExactly<KROTPSLightTPS>(item)) {
      const KROLinkIds& ids = own->TTRSLinkIds();
      for (int m = 0; m < ids.Size(); ++m)
        if (!visit(item, ids.At(m))) return false;
      continue;
    }
    KROComPtr<KROITPSLightModel> model;
    if (!item || FAILED(item->QueryInterface(IID_KROITPSLightModel, model.Put())) || !model)
      continue;
    KRORawCollint* raw = nullptr;
    if (FAILED(model->GetTTRSLinkIds(&raw))) continue;
    const std::unique_ptr<KRORawCollint> ids(raw);
    for (int m = 1; ids && m <= ids->Size(); ++m)
      if (!visit(item, (*ids)[m])) return false;
  }
  return true;
}

/// Whether every item is null or exactly a `Class`: a derived or foreign class may change its
/// answers without moving the model generation.
template <class Class> bool OnlyOf(const Objects* items) {
  for (int i = 0; items && i < items->Size(); ++i)
    if (KROBaseUnknown* item = items->At(i); item && typeid(*item) != typeid(Class)) return false;
  return true;
}

std::vector<KROBaseUnknown*> ItemsOf(const Objects* items) {
  return items ? std::vector<KROBaseUnknown*>(items->Items(), items->Items() + items->Size())
               : std::vector<KROBaseUnknown*>();
}

// The set's lists change only through its own operations, which move the model generation; this
// is a cheap guard (count and three items) against a host that edits a list it was handed, kept
// constant-time so that a query answered from the index stays a lookup.
bool Holds(const Objects* items, const std::vector<KROBaseUnknown*>& expected) {
  const std::size_t count = items ? std::size_t(items->Size()) : 0;
  if (count != expected.size()) return false;
  if (count == 0) return true;
  const std::size_t middle = count / 2;
  return items->At(0) == expected.front() && items->At(int(middle)) == expected[middle] &&
         items->At(int(count - 1)) == expected.back();
}

// All answers of a full index together may hold this many times the paths and annotations
// walked, plus a fixed allowance: one TTRS with many paths that many annotations link to would
// otherwise put every one of those annotations into the answer of every one of those paths.
constexpr std::size_t kAnswersPerWalked = 8;
constexpr std::size_t kAnswersAllowance = std::size_t(1) << 16;

/// The least prime at or above n (n >= 2).
std::size_t PrimeAtLeast(std::size_t n) {
  for (;; ++n) {
    bool prime = n >= 2;
    for (std::size_t d = 2; prime && d * d <= n; ++d)
      prime = n % d != 0;
    if (prime) return n;
  }
}

/// One tag that paths of TTRS of one index end with, and how many of them.
struct Reach {
  std::size_t slot;
  std::size_t paths;
};
} // namespace

bool KROTPSTagIndex::Build(const Objects& ttrs, const Objects* annotations,
                           std::uint64_t generation, const int* onlyTag) noexcept {
  Reset();
  if (!onlyTag) {
    triedAt_ = generation;
    if (!OnlyOf<KROTPSLightTTRS>(&ttrs) || !OnlyOf<KROTPSLightTPS>(annotations)) return false;
  }
  try {
    if (!onlyTag) {
      ttrsItems_ = ItemsOf(&ttrs);
      tpsItems_ = ItemsOf(annotations);
    }
    std::vector<std::pair<int, int>> ends; // (TTRS index, tag), one per path
    ForEachPathEnd(
        ttrs, [onlyTag](int end) { return !onlyTag || end == *onlyTag; },
        [&ends](int end, int index) { ends.emplace_back(index, end); });
    std::sort(ends.begin(), ends.end());

    // Grouped by TTRS index, so that one link id finds all its tags in one range.
    std::vector<Reach> reaches;
    std::unordered_map<int, std::pair<std::size_t, std::size_t>> reachesOfIndex;
    std::unordered_map<int, std::size_t> slotOfTag;
    std::vector<int> tagOfSlot;
    for (std::size_t i = 0, j = 0; i < ends.size(); i = j) {
      while (j < ends.size() && ends[j] == ends[i])
        ++j;
      const auto [at, added] = slotOfTag.try_emplace(ends[i].second, slotOfTag.size());
      if (added) tagOfSlot.push_back(ends[i].second);
      const std::size_t slot = at->second;
      auto& range =
          reachesOfIndex.try_emplace(ends[i].first, reaches.size(), reaches.size()).first->second;
      reaches.push_back({slot, j - i});
      range.second = reaches.size();
    }

    // (slot, annotation) in answer order: a link id equal to an index that k paths ending with a
    // tag carry puts the annotation k times into that tag's answer.
    std::vector<std::pair<std::size_t, KROBaseUnknown*>> hits;
    const std::size_t budget =
        onlyTag ? hits.max_size()
                : kAnswersPerWalked * (ends.size() + ttrsItems_.size() + tpsItems_.size()) +
                      kAnswersAllowance;
    if (annotations && !reaches.empty() &&
        !ForEachLinkId(*annotations, [&](KROBaseUnknown* annotation, int linkId) {
          const auto found = reachesOfIndex.find(linkId);
          if (found == reachesOfIndex.end()) return true;
          for (std::size_t r = found->second.first; r < found->second.second; ++r) {
            if (reaches[r].paths > budget - hits.size()) return false;
            hits.insert(hits.end(), reaches[r].paths, {reaches[r].slot, annotation});
          }
          return true;
        })) {
      Reset();
      return false;
    }

    // Answers are addressed by 32-bit positions; a model that large is left to the walk.
    if (hits.size() > UINT32_MAX) {
      Reset();
      return false;
    }
    // A stable counting sort by slot keeps each answer in answer order.
    std::vector<std::size_t> offsets(tagOfSlot.size() + 1, 0);
    for (const auto& hit : hits)
      ++offsets[hit.first + 1];
    std::partial_sum(offsets.begin(), offsets.end(), offsets.begin());
    std::vector<std::size_t> next(offsets.begin(), offsets.end() - 1);
    items_.resize(hits.size());
    for (const auto& hit : hits)
      items_[next[hit.first]++] = hit.second;

    answers_.assign(PrimeAtLeast(2 * tagOfSlot.size() + 1), Answer{});
    for (std::size_t slot = 0; slot < tagOfSlot.size(); ++slot) {
      Answer* answer = Locate(tagOfSlot[slot]);
      answer->tag = tagOfSlot[slot];
      answer->used = true;
      answer->begin = static_cast<std::uint32_t>(offsets[slot]);
      answer->count = static_cast<std::uint32_t>(offsets[slot + 1] - offsets[slot]);
    }
  } catch (...) { // out of memory: the caller falls back or fails
    Reset();
    return false;
  }
  hasAnnotationList_ = annotations != nullptr;
  if (!onlyTag) {
    ttrsList_ = &ttrs;
    tpsList_ = annotations;
  }
  generation_ = generation;
  built_ = true;
  return true;
}

bool KROTPSTagIndex::Serves(std::uint64_t generation, const Objects& ttrs,
                            const Objects* annotations) const noexcept {
  return IsBuiltAt(generation) && ttrsList_ == &ttrs && tpsList_ == annotations &&
         Holds(&ttrs, ttrsItems_) && Holds(annotations, tpsItems_);
}

const KROTPSTagIndex::Answer* KROTPSTagIndex::Locate(int tag) const noexcept {
  return const_cast<KROTPSTagIndex*>(this)->Locate(tag);
}

// The entry of `tag`, or the free entry where it would go; answers_ is never full. A tag's home
// is the tag modulo the (prime) table size: the runs of consecutive tags that models number
// faces with then sit side by side, so that asking for them in turn reads the table in order,
// and no stride of tags short of the size itself piles them onto one home.
KROTPSTagIndex::Answer* KROTPSTagIndex::Locate(int tag) noexcept {
  const std::size_t size = answers_.size();
  if (size == 0) return nullptr;
  for (std::size_t at = static_cast<std::uint32_t>(tag) % size;; at = at + 1 == size ? 0 : at + 1) {
    Answer& entry = answers_[at];
    if (!entry.used || entry.tag == tag) return &entry;
  }
}

bool KROTPSTagIndex::Find(int tag, std::span<KROBaseUnknown* const>* answer) const noexcept {
  if (!built_ || !answer) return false;
  const Answer* found = Locate(tag);
  if (!found || !found->used) return false;
  *answer = std::span<KROBaseUnknown* const>(items_).subspan(found->begin, found->count);
  return true;
}

bool KROTPSTagIndex::FindCached(int tag, std::span<KROBaseUnknown* const>* answer) const noexcept {
  if (!built_ || !answer) return false;
  const Answer* found = Locate(tag);
  if (!found || !found->used || !found->cached) return false;
  *answer = std::span<KROBaseUnknown* const>(items_).subspan(found->begin, found->count);
  return true;
}

void KROTPSTagIndex::NoteCached(int tag) noexcept {
  if (!built_) return;
  if (Answer* found = Locate(tag); found && found->used) found->cached = true;
}

void KROTPSTagIndex::ForgetCached() noexcept {
  for (Answer& answer : answers_)
    answer.cached = false;
}

void KROTPSTagIndex::Reset() noexcept {
  std::vector<Answer>().swap(answers_);
  std::vector<KROBaseUnknown*>().swap(items_);
  std::vector<KROBaseUnknown*>().swap(ttrsItems_);
  std::vector<KROBaseUnknown*>().swap(tpsItems_);
  ttrsList_ = tpsList_ = nullptr;
  built_ = false;
  hasAnnotationList_ = false;
}

bool KROTPSTagIndex::NoteMiss(std::uint64_t generation) noexcept {
  Reset();
  const bool repeated = missedAt_ == generation && triedAt_ != generation;
  missedAt_ = generation;
  return repeated;
}
