// KRORep.h - graphic representations (reps) and the group reps that hold them.
/// \file
/// Reps live on the heap only and are made through the rep allocator, which never throws and
/// counts live reps for tests:
/// \code
///   KRO3DBagRep* bag = new (nullptr, nullptr, 0) KRO3DBagRep();   // null when out of memory
///   KRO2DCustomRep* leaf = new (nullptr, nullptr, 0) KRO2DCustomRep();
///   bag->AddChild(*leaf);   // the bag now holds the leaf
///   bag->Destroy();         // frees the leaf (no other bag holds it), then the bag
/// \endcode
///
/// Ownership: a group rep holds its children and every rep counts the bags that hold it.
/// `Destroy` on a group rep lets go of each child, destroys each child that no bag holds any
/// longer, and frees the group rep itself unless a bag still holds it. `Destroy` on a rep that a
/// bag holds does nothing (a group rep is still emptied). Reps are never deleted directly: the
/// destructor is protected so that a rep a bag still holds cannot be freed under it.
#pragma once

#include "KROList.h"
#include "KROPlatformExport.h"

#include <cstddef>
#include <string>
#include <utility>

/// A graphic representation; the base of every rep.
class KRO_PLATFORM_API KRORep {
public:
  KRORep() = default;
  KRORep(const KRORep&) = delete;
  KRORep& operator=(const KRORep&) = delete;

  ///@{
  /// The rep allocator, which draws on the runtime's block pool; the extra arguments are unused
  /// (pass null, null, 0). Returns null when memory runs out, in which case no constructor runs.
  static void* operator new(std::size_t size, void*, void*, int) noexcept;
  static void operator delete(void* p, void*, void*, int) noexcept;
  static void operator delete(void* p) noexcept;
  ///@}
  static void* operator new(std::size_t) = delete;
  static void* operator new[](std::size_t) = delete;

  /// Number of reps made through the allocator and not yet freed.
  static long LiveCount();

  /// The name this rep is streamed under ("KRORep", "KRO3DBagRep", ...).
  virtual const char* ClassName() const;

  /// Frees the rep when no bag holds it; does nothing otherwise.
  virtual void Destroy();

  ///@{
  /// The children of a group rep; null for a rep that cannot hold any.
  virtual list<KRORep>* GetChildren() { return nullptr; }
  virtual const list<KRORep>* GetChildren() const { return nullptr; }
  ///@}

  ///@{
  /// Free text that tells reps apart; streamed with the rep.
  const std::string& GetLabel() const { return label_; }
  void SetLabel(std::string label) { label_ = std::move(label); }
  ///@}

  /// Number of bags holding this rep (a bag holding it twice counts twice).
  int HolderCount() const { return holders_; }

protected:
  virtual ~KRORep();

  /// Counts one more bag holding `rep`.
  static void Hold(KRORep& rep) { ++rep.holders_; }
  /// Drops one hold; true when no bag holds the rep any longer.
  static bool Unhold(KRORep& rep) {
    if (rep.holders_ > 0) --rep.holders_;
    return rep.holders_ == 0;
  }

private:
  std::string label_;
  int holders_ = 0;
};

/// The type of an annotation's 2D rep.
class KRO_PLATFORM_API KRO2DRep : public KRORep {
public:
  const char* ClassName() const override;

protected:
  ~KRO2DRep() override;
};

/// Group behaviour shared by `KRO3DBagRep` and `KRO2DBagRep`: an ordered list of held children.
template <class Base> class KROGroupRep : public Base {
public:
  KROGroupRep() = default;

  /// The bag's own list. Add children through `AddChild` so that they count this bag as holder.
  list<KRORep>* GetChildren() override { return &children_; }
  /// The bag's own list, to read.
  const list<KRORep>* GetChildren() const override { return &children_; }

  /// Appends `child` and counts this bag as one of its holders. Returns 1, or 0 when the list
  /// cannot grow, `child` is this bag itself or its holder count is at its limit.
  int AddChild(KRORep& child);

  /// Lets go of every child, destroying those no bag holds any longer, then frees this bag unless
  /// a bag still holds it.
  void Destroy() override;

protected:
  ~KROGroupRep() override;

private:
  list<KRORep> children_;
  bool destroying_ = false; // guards against a bag reached again through a cycle of bags
};

extern template class KRO_PLATFORM_API KROGroupRep<KRORep>;
extern template class KRO_PLATFORM_API KROGroupRep<KRO2DRep>;

/// A 3D group rep: the bag a light object keeps its rep in, and the rep class of the
/// sequential streams and the capture stream.
class KRO_PLATFORM_API KRO3DBagRep : public KROGroupRep<KRORep> {
public:
  /// The name the rep is streamed under.
  static constexpr const char* kClassName = "KRO3DBagRep";
  const char* ClassName() const override;

protected:
  ~KRO3DBagRep() override;
};

/// A 2D group rep, one of the two rep classes of an annotation's 2D stream.
class KRO_PLATFORM_API KRO2DBagRep : public KROGroupRep<KRO2DRep> {
public:
  /// The name the rep is streamed under.
  static constexpr const char* kClassName = "KRO2DBagRep";
  const char* ClassName() const override;

protected:
  ~KRO2DBagRep() override;
};

/// A 2D rep without children, the other rep class of an annotation's 2D stream.
class KRO_PLATFORM_API KRO2DCustomRep : public KRO2DRep {
public:
  /// The name the rep is streamed under.
  static constexpr const char* kClassName = "KRO2DCustomRep";
  const char* ClassName() const override;

protected:
  ~KRO2DCustomRep() override;
};
