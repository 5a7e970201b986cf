// KROList.h - the ordered pointer list shared with the visualization library.
/// \file
/// An ordered array of `T*` that grows at its tail by doubling. The list never takes or drops
/// references on its items; whoever owns the list says what its items hold.
/// \code
///   list<KROBaseUnknown>* objects = new (std::nothrow) list<KROBaseUnknown>;
///   objects->Append(obj);
///   for (int i = 0; i < objects->Size(); ++i) use((*objects)[i]);
///   objects->Remove(obj);
///   delete objects;  // frees the block, never the items
/// \endcode
///
/// The field layout is shared with the visualization library, which may hand out lists that keep
/// free slots ("head room") in front of item 0: every operation preserves them and the block is
/// always freed from `items - headRoom`.
///
/// The template is named `list` at global scope because the interfaces use that name. A host
/// translation unit that writes `using namespace std;` and includes `<list>` makes an unqualified
/// `list` ambiguous: write `::list<KROBaseUnknown>` for this one and `std::list<T>` for the
/// standard one (or drop the using-directive).
///
/// An owner that needs to know what a list holds (an index over many lists, say) gives it a
/// watch: the list then reports every change made through its operations - appends, removals,
/// a cursor moved past the end, and its disposal - whoever makes them. Writes through `Items()`
/// are not reported. A list without a watch pays one test per append or removal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <new>

template <class T> class list;

/// Told by a list of each change made through its operations, after the change.
template <class T> class KROListWatch {
public:
  /// `item` was appended.
  virtual void ListAppended(list<T>& items, T* item) = 0;
  /// `item` was taken out from index `at`.
  virtual void ListRemoved(list<T>& items, T* item, int at) = 0;
  /// The cursor was set past the last item: removals that find nothing will now move it.
  virtual void ListCursorAhead(list<T>& items) = 0;
  /// The list is being disposed of; its items are still readable.
  virtual void ListDisposing(list<T>& items) = 0;

protected:
  ~KROListWatch() = default;
};

/// An ordered array of `T*` in insertion order; it never counts its items.
template <class T> class list {
public:
  /// An empty list; no block is allocated until the first append.
  list() = default;

  /// A list that keeps `slotsInFront` free slots in front of item 0, as lists coming from the
  /// visualization library may. If the block cannot be allocated the list stays empty.
  explicit list(int slotsInFront) {
    if (slotsInFront <= 0) return;
    T** block = Allocate(BlockBytes(slotsInFront, 0, 0));
    if (!block) return;
    headRoom = slotsInFront;
    items = block + headRoom;
  }

  list(const list&) = delete;
  list& operator=(const list&) = delete;

  ~list() {
    if (watch) watch->ListDisposing(*this);
    FreeBlock();
    count = reserve = headRoom = 0;
    items = nullptr;
  }

  /// Adds `item` after the last one; no check for null or duplicates. Returns false, with the
  /// list unchanged, when the block could not grow.
  bool Append(T* item) {
    if (reserve == 0) {
      if (count == std::numeric_limits<int>::max()) return false;
      const int newReserve = GrowthReserve(count);
      T** block = NewBlock(count + newReserve);
      if (!block) return false;
      if (count > 0) std::memcpy(block + headRoom, items, sizeof(T*) * std::size_t(count));
      FreeBlock();
      items = block + headRoom;
      reserve = newReserve;
    }
    items[count] = item;
    --reserve;
    ++count;
    if (watch) watch->ListAppended(*this, item);
    return true;
  }

  /// Appends the non-null entries of the `n` pointers at `source` in order, as that many `Append` calls
  /// would, block sizes included, but growing the block at most once. Returns false, with the
  /// list unchanged, when the block could not grow.
  bool AppendNonNull(T* const* source, int n) {
    int added = 0;
    for (int i = 0; i < n; ++i)
      added += source[i] != nullptr;
    if (added > reserve) {
      if (added > std::numeric_limits<int>::max() - count) return false;
      // The slots repeated appends would end with: the block doubles each time it is full.
      long long slots = static_cast<long long>(count) + reserve;
      while (slots < static_cast<long long>(count) + added)
        slots += GrowthReserve(static_cast<int>(slots));
      T** block = NewBlock(slots);
      if (!block) return false;
      if (count > 0) std::memcpy(block + headRoom, items, sizeof(T*) * std::size_t(count));
      FreeBlock();
      items = block + headRoom;
      reserve = static_cast<int>(slots - count);
    }
    for (int i = 0; i < n; ++i)
      if (source[i]) {
        items[count++] = source[i];
        --reserve;
        if (watch) watch->ListAppended(*this, source[i]);
      }
    return true;
  }

  /// Removes the last occurrence of `item`. The block never shrinks; the cursor moves back by one
  /// when the removed position lies before it (a miss counts as position `count`).
  bool Remove(T* item) {
    const int at = Locate(item);
    if (at >= 0) {
      RemoveAt(at);
      return true;
    }
    if (count < cursor) --cursor;
    return false;
  }

  /// Removes the item at `at` (0 <= at < count) as Remove does once it has found it there.
  void RemoveAt(int at) {
    T* const item = items[at];
    for (int i = at; i + 1 < count; ++i)
      items[i] = items[i + 1];
    ++reserve;
    --count;
    if (at < cursor) --cursor;
    if (watch) watch->ListRemoved(*this, item, at);
  }

  ///@{
  /// The item at 0-based `i`, or null outside 0 .. Size() - 1.
  T* operator[](int i) const { return At(i); }
  T* At(int i) const { return i >= 0 && i < count ? items[i] : nullptr; }
  ///@}

  /// Index of the last occurrence of `item` (pointer identity), or -1.
  int Locate(const T* item) const {
    for (int i = count - 1; i >= 0; --i)
      if (items[i] == item) return i;
    return -1;
  }

  /// Number of items.
  int Size() const { return count; }
  /// Free slots kept in front of item 0.
  int HeadRoom() const { return headRoom; }
  /// Free slots after the last item.
  int Reserve() const { return reserve; }
  ///@{
  /// A position of the owner's, starting at 0, that `Remove` moves back by one when it takes
  /// out an item before it.
  int Cursor() const { return cursor; }
  void SetCursor(int position) {
    cursor = position;
    if (watch && cursor > count) watch->ListCursorAhead(*this);
  }
  T** Items() const { return items; }

  ///@{
  /// The list's watch: at most one; null removes it. The list does not own it.
  void SetWatch(KROListWatch<T>* w) { watch = w; }
  KROListWatch<T>* Watch() const { return watch; }
  ///@}

  /// Free slots added when a full list of `count` items grows: doubling, but never past
  /// INT_MAX items in all, since count and reserve are ints.
  static int GrowthReserve(int count) {
    if (count <= 0) return 1;
    const int room = std::numeric_limits<int>::max() - count;
    return count < room ? count : room;
  }

  /// Bytes for a block of headRoom + count + reserve slots; any negative or overflowing request
  /// yields SIZE_MAX so that the allocation fails instead of wrapping to a small block.
  static std::size_t BlockBytes(long long headRoom, long long count, long long reserve) {
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    if (headRoom < 0 || count < 0 || reserve < 0) return kMax;
    unsigned long long slots = static_cast<unsigned long long>(headRoom);
    for (long long part : {count, reserve}) {
      const auto add = static_cast<unsigned long long>(part);
      if (slots > std::numeric_limits<unsigned long long>::max() - add) return kMax;
      slots += add;
    }
    if (slots > kMax / sizeof(T*)) return kMax;
    return static_cast<std::size_t>(slots) * sizeof(T*);
  }

private:
  // Lets tests lay out a block the way the visualization library may hand one over.
  friend struct KROListTestAccess;

  static T** Allocate(std::size_t bytes) {
    return static_cast<T**>(::operator new[](bytes, std::nothrow));
  }

  // A block of head room and `slots` item slots. A list's first block of a single slot is the
  // list's own `firstSlot`: a great many lists (a bag holding one rep, a one-item answer) never
  // hold more, and a heap block for one pointer would cost more than the pointer.
  T** NewBlock(long long slots) {
    if (!items && headRoom == 0 && slots == 1) return firstSlot;
    return Allocate(BlockBytes(headRoom, slots, 0));
  }
  void FreeBlock() {
    if (items && items != firstSlot) ::operator delete[](items - headRoom);
  }

  int count = 0;
  int headRoom = 0;
  int reserve = 0;
  T** items = nullptr;
  int cursor = 0;
  // Not part of the layout shared with the visualization library, which reads only the fields
  // above; lists it hands over have none.
  KROListWatch<T>* watch = nullptr;
  T* firstSlot[1] = {nullptr};
};
