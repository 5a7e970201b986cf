// KROTPSLightTTRS.h - a TTRS: the geometry that annotations apply to, named by geometry paths.
///
/// Each geometry path is a `KRORawCollint` whose last id is a geometry tag; the TTRS owns the paths
/// it is given and deletes them when it goes. Annotations refer to a TTRS by its index.
/// \code
///   auto* path = new KRORawCollint();
///   path->Append(7); path->Append(30);
///   ttrs->AddGeomPathId(path);          // the TTRS owns path from here on
///   KRORawCollPV paths;
///   ttrs->GetGeomPathId(&paths);        // paths[1] == path, still owned by the TTRS
/// \endcode
/// Unlike the other light objects it has no UUID and keeps its rep without a wrapper bag.
#pragma once

#include "KROTPSKernelPrivate.h"

#include "KROBaseUnknown.h"
#include "KROClassMacros.h"
#include "KRORawColl.h"
#include "KROTPSLightFields.h"

class KRORep;
class KROITPSLightSet;

class KROTPSLightTTRS : public KROBaseUnknown {
  KRO_DECLARE_CLASS
public:
  KROTPSLightTTRS();
  ~KROTPSLightTTRS() override;
  // Copies would share the owned path collections.
  KROTPSLightTTRS(const KROTPSLightTTRS&) = delete;
  KROTPSLightTTRS& operator=(const KROTPSLightTTRS&) = delete;

  virtual HRESULT GetType(unsigned short* type) { return light_.GetType(type); }
  virtual HRESULT SetType(unsigned short type) { return light_.SetType(type); }
  virtual HRESULT GetName(KROWChar** name) { return light_.GetName(name); }
  virtual HRESULT SetName(const KROWChar* name) { return light_.SetName(name); }
  virtual HRESULT GetIndex(int* index) { return light_.GetIndex(index); }
  /// Also tells the tag queries that the model changed.
  virtual HRESULT SetIndex(int index);
  virtual HRESULT GetRep(KRORep** rep);
  /// Borrows `rep` as it is; null clears it.
  virtual HRESULT SetRep(KRORep* rep);
  virtual HRESULT GetLightSet(KROITPSLightSet** set) { return light_.GetLightSet(set); }
  virtual HRESULT SetLightSet(KROITPSLightSet* set) { return light_.SetLightSet(set); }
  virtual HRESULT GetStatus(unsigned short* status) { return light_.GetStatus(status); }
  virtual HRESULT SetStatus(unsigned short status) { return light_.SetStatus(status); }
  /// S_OK and nothing written: a TTRS has no UUID.
  virtual HRESULT GetUUId(KROWChar** uuid);
  /// S_OK and the text ignored.
  virtual HRESULT SetUUId(const KROWChar* uuid);
  /// Takes ownership of `path`, also when it cannot be stored (it is then deleted: E_FAIL).
  virtual HRESULT AddGeomPathId(KRORawCollint* path);
  /// Replaces the content of `paths` with the TTRS's own path pointers; E_FAIL when that copy
  /// cannot be allocated.
  virtual HRESULT GetGeomPathId(KRORawCollPV* paths);

  /// The paths themselves (KRORawCollint* entries, owned) and the index, for the library's own
  /// loops (KROExactly); GetGeomPathId copies the collection.
  const KRORawCollPV& GeomPaths() const { return paths_; }
  int Index() const { return light_.index; }

private:
  KROTPSLightFields light_;
  KRORep* rep_ = nullptr; // borrowed
  KRORawCollPV paths_;    // KRORawCollint* entries, owned
};
