// KROTPSLightSetExt.h - the state and behaviour of an annotation set, as its data extension.
///
/// The runtime creates one extension per `KROTPSLightSet` (or `KROTPSResultSet`) component on the
/// first query for `KROITPSLightSet`, `KROITPSIdBroker`, `KROITPSLight` or
/// `KROITPSLightSetServices`, and destroys it with that component.
/// \code
///   KROComPtr<KROITPSLightSet> set;
///   lightSet->QueryInterface(IID_KROITPSLightSet, set.Put());
///   set->AddTPS(annotation);     // the list takes over the caller's reference
///   set->RemoveTPS(annotation);  // ... and releases it
/// \endcode
///
/// Ownership: each entry of the annotation, view, TTRS, reference-frame, capture and
/// constructed-geometry lists holds the one reference its adder handed over; removals and
/// `RemoveAllChildren` release it. Fake entries hold theirs until the fake list is disposed of
/// (`FlushData`, destruction). The reference product is counted, the document is not.
///
/// The class's virtual order is part of its binary contract: light-object operations (base),
/// the set operations, the id broker, then the services. Removals live in
/// KROTPSLightSetExtRemoval.cpp, rep binding in KROTPSLightSetExtReps.cpp, selection by type and
/// the geometry-tag query in KROTPSLightSetExtQuery.cpp.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROClassMacros.h"
#include "KROList.h"
#include "KROTPSLightAdapt.h"
#include "KROTPSObjectKind.h"
#include "KROTPSRemovalIndex.h"
#include "KROTPSTagQuery.h"
#include "KROUnicodeString.h"

class KROITPSLightModelHandler;
class KROITPSLightSet;
class KRORep;
class KROVZBContainer;

class KROTPSLightSetExt : public KROTPSLightAdapt {
  KRO_DECLARE_CLASS
public:
  KROTPSLightSetExt();
  ~KROTPSLightSetExt() override;

  /// The extension's own `KROITPSLightSet`, counted for the caller.
  HRESULT GetLightSet(KROITPSLightSet** set) override;
  /// Always E_FAIL: a set belongs to no set.
  HRESULT SetLightSet(KROITPSLightSet* set) override;

  virtual HRESULT GetStdName(KROWChar** name);
  virtual HRESULT SetStdName(const KROWChar* name);
  virtual HRESULT GetTTRSList(list<KROBaseUnknown>** ttrs);
  virtual HRESULT AddTTRS(KROBaseUnknown* ttrs);
  virtual HRESULT RemoveTTRS(KROBaseUnknown* ttrs);
  virtual HRESULT GetRefFrameList(list<KROBaseUnknown>** frames);
  virtual HRESULT AddRefFrame(KROBaseUnknown* frame);
  virtual HRESULT RemoveRefFrame(KROBaseUnknown* frame);
  virtual HRESULT GetCaptureList(list<KROBaseUnknown>** captures);
  virtual HRESULT AddCapture(KROBaseUnknown* capture);
  virtual HRESULT RemoveCapture(KROBaseUnknown* capture);
  virtual HRESULT GetCGList(list<KROBaseUnknown>** cgs);
  virtual HRESULT AddCG(KROBaseUnknown* cg);
  virtual HRESULT RemoveCG(KROBaseUnknown* cg);
  virtual HRESULT GetFakeList(list<KROBaseUnknown>** fakes);
  virtual HRESULT AddFake(KROBaseUnknown* fake);
  virtual KROBaseUnknown* GetDocument();
  /// Stores `document` uncounted; the caller keeps it alive while the set uses it.
  virtual HRESULT SetDocument(KROBaseUnknown* document);
  /// The annotation list itself, or null while it is absent.
  list<KROBaseUnknown>* GetTPSList();
  virtual HRESULT AddTPS(KROBaseUnknown* tps);
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps);
  virtual HRESULT GetViewList(list<KROBaseUnknown>** views);
  virtual HRESULT AddTPSView(KROBaseUnknown* view);
  virtual HRESULT RemoveView(KROBaseUnknown* view);
  virtual HRESULT GetRefProduct(KROITPSLightModelHandler** handler);
  virtual HRESULT SetRefProduct(KROITPSLightModelHandler* handler);
  /// Releases every entry of the six counted lists and leaves those lists absent; the fake list
  /// stays. Empties the annotation cache, whose items would otherwise dangle.
  virtual HRESULT RemoveAllChildren();
  /// Back to a new set's state, keeping the standard name and the light-object fields.
  virtual HRESULT FlushData();

  virtual HRESULT GetIdForObject(KROBaseUnknown* object, int kind, int* id);
  virtual HRESULT GetObjectFromId(int id, int kind, KROBaseUnknown** object);

  virtual HRESULT GenerateAllReps();
  virtual HRESULT GenerateAll2DReps();
  virtual HRESULT GenerateAllCapturesReps();
  virtual HRESULT RetrieveLightTPSsType(unsigned short type, list<KROBaseUnknown>** tpss);
  virtual HRESULT RetrieveLightTPSsSuperType(unsigned short superType, list<KROBaseUnknown>** tpss);
  virtual HRESULT GetListOfAnnotationsWithZORTag(int tag, list<KROBaseUnknown>** tpss) const;

protected:
  /// Deletes the cached entries of the annotation table, which stays. Call it before an
  /// annotation the cache may name can be destroyed.
  void ClearAnnotationCache();
  /// The list step and the release of a removal: takes the last occurrence of `object` out of
  /// `own` and releases the set's reference, only when it was there. Both must be non-null.
  static void TakeOutAndRelease(list<KROBaseUnknown>* own, KROBaseUnknown* object);
  /// The list step with the index of `own` (may be null): takes the last occurrence of `object`
  /// out, found through the index when it counts `object`. True when it was there; no release.
  static bool TakeOut(list<KROBaseUnknown>* own, KROTPSEntryIndex* index, KROBaseUnknown* object);
  /// EntryFor answered through the index of `own` when it counts every entry.
  static KROBaseUnknown* Resolve(const list<KROBaseUnknown>* own, KROTPSEntryIndex* index,
                                 KROBaseUnknown* given);
  /// The pointer that stands in `own` for the component `given` denotes (any of its interface
  /// pointers will do): `given` itself when listed, else its base pointer, which is what the
  /// factory lists, else an entry an adder gave in another form; the base pointer when `own`
  /// lists none. Removals and the broker resolve their argument through this once and then
  /// compare pointers as before.
  static KROBaseUnknown* EntryFor(const list<KROBaseUnknown>* own, KROBaseUnknown* given);

  // Any list may be absent (after RemoveAllChildren, or when it could not be allocated).
  list<KROBaseUnknown>* tpsList_ = nullptr;        // annotations; one reference per entry
  list<KROBaseUnknown>* viewList_ = nullptr;       // one reference per entry
  list<KROBaseUnknown>* ttrsList_ = nullptr;       // one reference per entry
  list<KROBaseUnknown>* refFrameList_ = nullptr;   // one reference per entry
  list<KROBaseUnknown>* captureList_ = nullptr;    // one reference per entry
  list<KROBaseUnknown>* cgList_ = nullptr;         // one reference per entry
  list<KROBaseUnknown>* fakeList_ = nullptr;       // one reference per entry, kept until disposal
  KROITPSLightModelHandler* refProduct_ = nullptr; // one reference held
  KROBaseUnknown* document_ = nullptr;             // not referenced
  KROUnicodeString stdName_;
  /// The tag query's kept answers and its index (KROTPSTagQuery.h).
  mutable KROTPSTagQuery tagQuery_;
  /// What links what, for the removals (KROTPSRemovalIndex.h). Each entry index watches its list
  /// from the list's creation until the list's entries are released in bulk; null when it could
  /// not be allocated, and for the TTRS list, whose objects carry no membership record. Without
  /// an index a removal walks, as it always may.
  KROTPSHolderIndex holders_;
  KROTPSEntryIndex* tpsIndex_ = nullptr;
  KROTPSEntryIndex* viewIndex_ = nullptr;
  KROTPSEntryIndex* refFrameIndex_ = nullptr;
  KROTPSEntryIndex* captureIndex_ = nullptr;
  KROTPSEntryIndex* cgIndex_ = nullptr;
  bool indexesActive_ = false; // the indexes above exist from the first removal on

private:
  /// The set's own list of `kind`; null for a kind it does not list by id, or an absent list.
  list<KROBaseUnknown>* ListOfKind(KROTPSObjectKind kind) const;
  void CreateLists();
  /// Makes the indexes of the lists as they stand, on the first removal since the lists were
  /// made; a list whose index cannot be allocated is walked.
  void ActivateIndexes();
  /// Lets every entry index go, and the holder index with them, until the next removal.
  void DropIndexes();
  /// Forgets the reference product before releasing it, so that a handler whose destruction
  /// calls back into the set finds none.
  void ReleaseRefProduct();
  /// Disposes of every list still present, releasing fake entries only.
  void DisposeLists();

  /// Reads the sequential rep stream of `container`: into a new list when `*reps` is null (S_OK),
  /// else appended to the caller's list (E_FAIL while nothing has been read). Only "KRO3DBagRep"
  /// entries give reps; the reps belong to whoever binds them.
  HRESULT GetLightRep(KROVZBContainer* container, list<KRORep>** reps);
  /// Pairs rep i with item i of the model list of rep-binding code `kind` (kKRORepKinds) when
  /// the counts agree. Takes over the reps: each one is either
  /// bound or destroyed, so they must be distinct and held by no bag. The list stays the caller's.
  HRESULT AssocAllRepWithModel(KROITPSLightSet* set, list<KRORep>* reps, int kind);
  /// Gives `tps`, an annotation, its 2D rep from the indexed stream of `container`; anything
  /// that is not an annotation is left alone.
  HRESULT Get2DRep(KROBaseUnknown* tps, KROVZBContainer* container);
  /// Gives every capture of `set` its rep from the indexed stream of `container`.
  HRESULT GetCaptureRep(KROVZBContainer* container, KROITPSLightSet* set);
};
