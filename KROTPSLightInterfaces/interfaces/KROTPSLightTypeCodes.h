// KROTPSLightTypeCodes.h - the objects' type codes and the super type each annotation code has.
/// \file
/// A light object's type (`KROITPSLight::GetType`) is a 16-bit code. Codes 1 to 38 are
/// annotations, each in one super type family (`KROITPSLightModel::GetSuperType`); the reference
/// frame and the constructed geometry carry codes of their own. The codes the importer writes
/// have names here; the others are known only by their range in `KROTPSTypeRanges`.
/// \code
///   unsigned short type = 0;
///   light->GetType(&type);
///   if (KROTPSSuperTypeOf(type) == KROTPSSuperTypeGeometricTolerance) ...
/// \endcode
#pragma once

/// \name Super types
/// The families of annotation codes. 5 to 7 are families the model carries without naming.
///@{
/// No super type: 0, a code above 38, or an object that is not an annotation.
inline constexpr unsigned short KROTPSSuperTypeNone = 0;
/// Dimensions: sizes and locations.
inline constexpr unsigned short KROTPSSuperTypeDimension = 1;
/// Datums, datum targets and reference frames.
inline constexpr unsigned short KROTPSSuperTypeDatum = 2;
/// Geometric tolerances.
inline constexpr unsigned short KROTPSSuperTypeGeometricTolerance = 3;
/// Notes: texts and callouts.
inline constexpr unsigned short KROTPSSuperTypeNote = 4;
/// The family of codes 17 and 18.
inline constexpr unsigned short KROTPSSuperTypeFamily5 = 5;
/// The family of codes 19 to 21.
inline constexpr unsigned short KROTPSSuperTypeFamily6 = 6;
/// The family of codes 7 to 11.
inline constexpr unsigned short KROTPSSuperTypeFamily7 = 7;
///@}

/// \name Dimension codes (super type 1)
///@{
/// A linear distance, any of its from/to variants.
inline constexpr unsigned short KROTPSTypeLinearLocation = 1;
/// An angle between two features.
inline constexpr unsigned short KROTPSTypeAngularLocation = 2;
/// A curved distance, an oriented one, one along a path.
inline constexpr unsigned short KROTPSTypeOtherLocation = 3;
/// A diameter.
inline constexpr unsigned short KROTPSTypeDiameter = 4;
/// A radius.
inline constexpr unsigned short KROTPSTypeRadius = 29;
/// Spherical and toroidal diameters and radii.
inline constexpr unsigned short KROTPSTypeSphericalOrToroidal = 30;
/// An angular size.
inline constexpr unsigned short KROTPSTypeAngularSize = 31;
/// A thickness, a curve length, a size along a path.
inline constexpr unsigned short KROTPSTypeOtherSize = 34;
/// Neither size nor location, e.g. a common label.
inline constexpr unsigned short KROTPSTypeOtherDimension = 35;
/// A dimension whose kind is not known.
inline constexpr unsigned short KROTPSTypeUnknownDimension = 36;
///@}

/// \name Datum codes (super type 2)
///@{
/// A datum feature.
inline constexpr unsigned short KROTPSTypeDatumFeature = 5;
/// A datum target.
inline constexpr unsigned short KROTPSTypeDatumTarget = 6;
/// The reference frame's own code.
inline constexpr unsigned short KROTPSTypeReferenceFrame = 32;
///@}

/// Note code (super type 4): a callout with no semantic content, such as a note, a flag, a text.
inline constexpr unsigned short KROTPSTypeNote = 12;

/// \name Geometric tolerance codes (super type 3)
///@{
/// Straightness, flatness, circularity, cylindricity.
inline constexpr unsigned short KROTPSTypeForm = 22;
/// Angularity, parallelism, perpendicularity.
inline constexpr unsigned short KROTPSTypeOrientation = 23;
/// Position, concentricity, coaxiality, symmetry.
inline constexpr unsigned short KROTPSTypeLocation = 24;
/// Profile of a line, of a surface.
inline constexpr unsigned short KROTPSTypeProfile = 25;
/// Circular and total runout.
inline constexpr unsigned short KROTPSTypeRunout = 26;
/// A geometric tolerance whose kind is not known.
inline constexpr unsigned short KROTPSTypeUnknownTolerance = 27;
///@}

/// The constructed geometry's own code (no super type).
inline constexpr unsigned short KROTPSTypeConstructedGeometry = 50;

/// A run of consecutive annotation codes sharing one super type.
struct KROTPSTypeRange {
  unsigned short first;     ///< lowest code of the run
  unsigned short last;      ///< highest code of the run
  unsigned short superType; ///< their super type
};

/// Every annotation code with its super type, in code order: 1 to 38, with no gap. A code in no
/// range has no super type.
inline constexpr KROTPSTypeRange KROTPSTypeRanges[] = {
    {KROTPSTypeLinearLocation, KROTPSTypeDiameter, KROTPSSuperTypeDimension},
    {KROTPSTypeDatumFeature, KROTPSTypeDatumTarget, KROTPSSuperTypeDatum},
    {7, 11, KROTPSSuperTypeFamily7},
    {KROTPSTypeNote, 16, KROTPSSuperTypeNote},
    {17, 18, KROTPSSuperTypeFamily5},
    {19, 21, KROTPSSuperTypeFamily6},
    {KROTPSTypeForm, 28, KROTPSSuperTypeGeometricTolerance},
    {KROTPSTypeRadius, KROTPSTypeAngularSize, KROTPSSuperTypeDimension},
    {KROTPSTypeReferenceFrame, 33, KROTPSSuperTypeDatum},
    {KROTPSTypeOtherSize, KROTPSTypeUnknownDimension, KROTPSSuperTypeDimension},
    {37, 38, KROTPSSuperTypeNote},
};

/// The super type of annotation code `type`; `KROTPSSuperTypeNone` for a code in no range.
constexpr unsigned short KROTPSSuperTypeOf(unsigned short type) noexcept {
  for (const KROTPSTypeRange& range : KROTPSTypeRanges)
    if (type >= range.first && type <= range.last) return range.superType;
  return KROTPSSuperTypeNone;
}
