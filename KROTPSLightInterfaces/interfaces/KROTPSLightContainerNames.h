// KROTPSLightContainerNames.h - the names of the document containers that hold the model's reps.
/// \file
/// A set's document keeps its reps under one root container. Below it, the annotations', views',
/// constructed geometries' and captures' containers hold sequential streams (a count, then each
/// rep) paired with the set's lists by position; the 2D annotation container and the capture
/// container itself hold indexed streams (KROIndexedStreamWriter.h) read by each object's index.
/// \code
///   KRODocumentBuilder()
///       .SetStream(KROTPSContainers::kAnnotationsPath, sequential)
///       .SetStream(KROTPSContainers::kAnnotations2DPath, indexed)
///       .Build();
/// \endcode
#pragma once

/// The container names, and their paths from the document's top ('/'-separated, as
/// `KRODocumentBuilder` takes them).
struct KROTPSContainers {
  /// The root container, at the top of the document.
  static constexpr char kRoot[] = "V4V5_FDT";
  /// Below the root: the annotations' reps, sequential.
  static constexpr char kAnnotations[] = "KROTPSTPSCont";
  /// Below the root: the views' reps, sequential.
  static constexpr char kViews[] = "KROTPSViewCont";
  /// Below the root: the constructed geometries' reps, sequential.
  static constexpr char kCGs[] = "KROTPSCGCont";
  /// Below the root: the captures' reps, indexed by capture index.
  static constexpr char kCaptures[] = "KROTPSCapCont";
  /// Below the captures' container: the captures' reps, sequential.
  static constexpr char kCaptureReps[] = "KROTPSCapRepCont";
  /// Below the root: the annotations' 2D reps, indexed by annotation index.
  static constexpr char kAnnotations2D[] = "KROTPSTPS2DCont";

  /// `kRoot/kAnnotations`.
  static constexpr char kAnnotationsPath[] = "V4V5_FDT/KROTPSTPSCont";
  /// `kRoot/kViews`.
  static constexpr char kViewsPath[] = "V4V5_FDT/KROTPSViewCont";
  /// `kRoot/kCGs`.
  static constexpr char kCGsPath[] = "V4V5_FDT/KROTPSCGCont";
  /// `kRoot/kCaptures`.
  static constexpr char kCapturesPath[] = "V4V5_FDT/KROTPSCapCont";
  /// `kRoot/kCaptures/kCaptureReps`.
  static constexpr char kCaptureRepsPath[] = "V4V5_FDT/KROTPSCapCont/KROTPSCapRepCont";
  /// `kRoot/kAnnotations2D`.
  static constexpr char kAnnotations2DPath[] = "V4V5_FDT/KROTPSTPS2DCont";
};
