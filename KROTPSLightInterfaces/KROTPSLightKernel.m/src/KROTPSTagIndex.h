// KROTPSTagIndex.h - the geometry-tag query's answers for every tag, made in one walk.
///
/// One walk over the TTRS gathers, per path end, the index of the TTRS the path belongs to; one
/// walk over the annotations pairs each TTRS link id with those indexes. The answer of a tag is
/// what the query would give on a miss: the annotations in list order, each once for every pair of
/// one of its link ids and a path of a TTRS of that index ending with the tag.
/// \code
///   KROTPSTagIndex index;
///   index.Build(*ttrsList, tpsList, KROTPSModelGeneration());
///   std::span<KROBaseUnknown* const> answer;
///   if (index.Serves(KROTPSModelGeneration(), *ttrsList, tpsList) && index.Find(30, &answer)) ...
/// \endcode
/// The answers hold the annotations uncounted: an index may be read only while it `Serves` the
/// set's lists, that is while the model generation it was built at is still current
/// (KROTPSModelGeneration.h) and the lists hold what they held then. Only the library's own TTRS
/// and annotations bump the generation when they change, so a full index is built only over lists
/// of those two classes, and only when all answers together stay within a few times the walk.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTPSModelGeneration.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class KROTPSTagIndex {
public:
  KROTPSTagIndex() = default;
  KROTPSTagIndex(const KROTPSTagIndex&) = delete;
  KROTPSTagIndex& operator=(const KROTPSTagIndex&) = delete;

  /// Replaces the content with the answers of every tag a path of `ttrs` ends with, or of
  /// `*onlyTag` alone. `annotations` is the set's annotation list, null when it is absent. False,
  /// with the index empty, when memory runs out or, for every tag, when the lists hold objects of
  /// other classes or the answers would outgrow their budget.
  bool Build(const list<KROBaseUnknown>& ttrs, const list<KROBaseUnknown>* annotations,
             std::uint64_t generation, const int* onlyTag = nullptr) noexcept;
  bool IsBuiltAt(std::uint64_t generation) const noexcept {
    return built_ && generation_ == generation;
  }
  /// Whether an index of every tag, built at `generation`, was built from these very lists
  /// holding these very items.
  bool Serves(std::uint64_t generation, const list<KROBaseUnknown>& ttrs,
              const list<KROBaseUnknown>* annotations) const noexcept;
  /// False when no path ends with `tag`; otherwise its answer, possibly empty, valid until the
  /// next Build or Reset.
  bool Find(int tag, std::span<KROBaseUnknown* const>* answer) const noexcept;
  /// Like Find, but only for a tag whose answer the set's table took from this very index
  /// (NoteCached) and has kept since (ForgetCached): the table's entry then holds these items.
  bool FindCached(int tag, std::span<KROBaseUnknown* const>* answer) const noexcept;
  /// Records that the set's table took an entry made from this index's answer of `tag`.
  void NoteCached(int tag) noexcept;
  /// Records that the set's table was emptied.
  void ForgetCached() noexcept;
  /// Whether the set had an annotation list when the index was built.
  bool HasAnnotationList() const noexcept { return hasAnnotationList_; }
  /// Frees the content.
  void Reset() noexcept;

  /// Records a miss that the index did not serve, dropping its content. True when the previous
  /// miss was at the same generation and no index of every tag was tried at it yet.
  bool NoteMiss(std::uint64_t generation) noexcept;

private:
  /// One tag's answer, items_[begin, begin + count), in an open-addressing table: a lookup reads
  /// one entry, then the answer's items, and nothing else.
  struct Answer {
    int tag = 0;
    bool used = false;
    bool cached = false; // the set's table holds this answer (NoteCached)
    std::uint32_t begin = 0;
    std::uint32_t count = 0;
  };
  Answer* Locate(int tag) noexcept;
  const Answer* Locate(int tag) const noexcept;

  std::vector<Answer> answers_; // prime in size, at most half used; empty when unbuilt
  std::vector<KROBaseUnknown*> items_;
  // What an index of every tag was built from, to tell a list changed behind the set's back.
  const list<KROBaseUnknown>* ttrsList_ = nullptr;
  const list<KROBaseUnknown>* tpsList_ = nullptr;
  std::vector<KROBaseUnknown*> ttrsItems_;
  std::vector<KROBaseUnknown*> tpsItems_;
  std::uint64_t generation_ = 0;
  std::uint64_t missedAt_ = 0;
  std::uint64_t triedAt_ = 0;
  bool built_ = false;
  bool hasAnnotationList_ = false;
};
