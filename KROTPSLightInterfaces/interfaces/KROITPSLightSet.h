// KROITPSLightSet.h - the annotation set: lists of model objects, document, reference product.
/// \file
#pragma once

#include "KROBaseUnknown.h"
#include "KROList.h"
#include "KROTPSLightKernelExport.h"

class KROITPSLightModelHandler;

/// Id of KROITPSLightSet, answered by a set.
inline constexpr IID IID_KROITPSLightSet = {
    0x66664499, 0x6EA0, 0x41CF, {0x95, 0x82, 0x10, 0xE1, 0x1D, 0xE9, 0x53, 0x51}};

/// The root of a model: its lists of objects, its document and its host handler.
///
/// The lists handed out are the set's own and carry no reference; each entry holds the reference
/// its adder handed over (the factory hands over the creation reference). For each list, with
/// objects passed through any of their interfaces:
/// - Get: the set's own list; E_FAIL for a null out-pointer or a list made absent by
///   `RemoveAllChildren`.
/// - Add: appends, taking over the caller's reference (AddRef first to keep one); duplicates are
///   kept. E_FAIL for null or an absent list.
/// - Remove: makes every other object drop its pointers to the object, takes its last
///   occurrence out and releases it; later objects' ids move down by one. S_OK when it is not
///   there; E_FAIL for null or an absent list. The library's own objects in the set's lists keep
///   no occurrence of it (each is asked until none is left, last first); a host's own object in
///   a list is asked once per entry. Views other than an annotation's own view keep it. A removal
///   costs what links the object, not what the set holds; the first one after the lists are made
///   counts them once.
class KRO_KERNEL_API KROITPSLightSet : public KROBaseUnknown {
public:
  ///@{
  /// The interface's id and name (`KROComPtr::As`, queries by name).
  static constexpr const IID& kIID = IID_KROITPSLightSet;
  static constexpr const char* kName = "KROITPSLightSet";
  ///@}

  /// The standard name, as a new text the caller frees; empty on a new set.
  virtual HRESULT GetStdName(KROWChar** name) = 0;
  /// Copies `name`; E_FAIL for null.
  virtual HRESULT SetStdName(const KROWChar* name) = 0;
  ///@{
  /// The TTRS. Removing one leaves the TTRS link ids that name its index as they are.
  virtual HRESULT GetTTRSList(list<KROBaseUnknown>** ttrs) = 0;
  virtual HRESULT AddTTRS(KROBaseUnknown* ttrs) = 0;
  virtual HRESULT RemoveTTRS(KROBaseUnknown* ttrs) = 0;
  ///@}
  ///@{
  /// The reference frames. Removing one first clears the annotations' links to it.
  virtual HRESULT GetRefFrameList(list<KROBaseUnknown>** frames) = 0;
  virtual HRESULT AddRefFrame(KROBaseUnknown* frame) = 0;
  virtual HRESULT RemoveRefFrame(KROBaseUnknown* frame) = 0;
  ///@}
  ///@{
  /// The captures. Removing one leaves the views that link to it as they are.
  virtual HRESULT GetCaptureList(list<KROBaseUnknown>** captures) = 0;
  virtual HRESULT AddCapture(KROBaseUnknown* capture) = 0;
  virtual HRESULT RemoveCapture(KROBaseUnknown* capture) = 0;
  ///@}
  ///@{
  /// The constructed geometries. Removing one first takes it out of every capture.
  virtual HRESULT GetCGList(list<KROBaseUnknown>** cgs) = 0;
  virtual HRESULT AddCG(KROBaseUnknown* cg) = 0;
  virtual HRESULT RemoveCG(KROBaseUnknown* cg) = 0;
  ///@}
  ///@{
  /// The fakes; there is no removal: they go with the set or `FlushData`.
  virtual HRESULT GetFakeList(list<KROBaseUnknown>** fakes) = 0;
  virtual HRESULT AddFake(KROBaseUnknown* fake) = 0;
  ///@}
  /// The document, uncounted; the caller keeps it alive while the set uses it.
  virtual KROBaseUnknown* GetDocument() = 0;
  /// Gives the set the document reps are bound from, borrowed; E_FAIL for null (the previous
  /// one stays).
  virtual HRESULT SetDocument(KROBaseUnknown* document) = 0;
  /// The annotation list itself, or null after `RemoveAllChildren`.
  virtual list<KROBaseUnknown>* GetTPSList() = 0;
  ///@{
  /// Annotations. Removing one first takes it out of every other annotation's lists, every
  /// frame's datums and basic dimensions, its view and every capture.
  virtual HRESULT AddTPS(KROBaseUnknown* tps) = 0;
  virtual HRESULT RemoveTPS(KROBaseUnknown* tps) = 0;
  ///@}
  ///@{
  /// The views. Removing one first clears the annotations' links to it and takes it out of
  /// every capture.
  virtual HRESULT GetViewList(list<KROBaseUnknown>** views) = 0;
  virtual HRESULT AddTPSView(KROBaseUnknown* view) = 0;
  virtual HRESULT RemoveView(KROBaseUnknown* view) = 0;
  ///@}
  /// The host's handler, counted for the caller; E_FAIL, with null written, when there is none.
  virtual HRESULT GetRefProduct(KROITPSLightModelHandler** handler) = 0;
  /// Holds a reference on `handler` and releases the one it held; null clears it.
  virtual HRESULT SetRefProduct(KROITPSLightModelHandler* handler) = 0;
  /// Releases every entry of the lists but the fakes, without cascades, and leaves those lists
  /// absent: their operations give E_FAIL until `FlushData`. Empties the tag-query cache.
  virtual HRESULT RemoveAllChildren() = 0;
  /// Returns the set to a new set's state, keeping its standard name: releases every object
  /// (fakes too), the reference product and the tag-query cache, and forgets the document.
  virtual HRESULT FlushData() = 0;
};
