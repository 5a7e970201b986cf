// KROStepTexts.cpp - readable texts and type codes for OCCT's PMI objects.
#include "KROStepTexts.h"

#include "KROStepImport.h"

#include <TCollection_ExtendedString.hxx>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsAngle(XCAFDimTolObjects_DimensionType t) {
  return t == XCAFDimTolObjects_DimensionType_Location_Angular ||
         t == XCAFDimTolObjects_DimensionType_Size_Angular;
}

const char* DimensionPrefix(XCAFDimTolObjects_DimensionType t) {
  switch (t) {
  case XCAFDimTolObjects_DimensionType_Size_Diameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMinorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMajorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalHighMajorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalLowMajorDiameter:
    return "⌀";
  case XCAFDimTolObjects_DimensionType_Size_SphericalDiameter:
    return "S⌀";
  case XCAFDimTolObjects_DimensionType_Size_Radius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMinorRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMajorRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalHighMajorRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalLowMajorRadius:
    return "R";
  case XCAFDimTolObjects_DimensionType_Size_SphericalRadius:
    return "SR";
  default:
    return "";
  }
}

// A deviation from the nominal value with its sign; zero has none.
std::string Signed(double v, int decimals, const char* unit) {
  if (v == 0) return "0";
  std::string s(1, v > 0 ? '+' : '-');
  s += KROStepNumber(std::fabs(v), decimals);
  s += unit;
  return s;
}

const char* ToleranceName(XCAFDimTolObjects_GeomToleranceType t) {
  switch (t) {
  case XCAFDimTolObjects_GeomToleranceType_Angularity:
    return "angularity";
  case XCAFDimTolObjects_GeomToleranceType_CircularRunout:
    return "circular runout";
  case XCAFDimTolObjects_GeomToleranceType_CircularityOrRoundness:
    return "circularity";
  case XCAFDimTolObjects_GeomToleranceType_Coaxiality:
    return "coaxiality";
  case XCAFDimTolObjects_GeomToleranceType_Concentricity:
    return "concentricity";
  case XCAFDimTolObjects_GeomToleranceType_Cylindricity:
    return "cylindricity";
  case XCAFDimTolObjects_GeomToleranceType_Flatness:
    return "flatness";
  case XCAFDimTolObjects_GeomToleranceType_Parallelism:
    return "parallelism";
  case XCAFDimTolObjects_GeomToleranceType_Perpendicularity:
    return "perpendicularity";
  case XCAFDimTolObjects_GeomToleranceType_Position:
    return "position";
  case XCAFDimTolObjects_GeomToleranceType_ProfileOfLine:
    return "profile of a line";
  case XCAFDimTolObjects_GeomToleranceType_ProfileOfSurface:
    return "profile of a surface";
  case XCAFDimTolObjects_GeomToleranceType_Straightness:
    return "straightness";
  case XCAFDimTolObjects_GeomToleranceType_Symmetry:
    return "symmetry";
  case XCAFDimTolObjects_GeomToleranceType_TotalRunout:
    return "total runout";
  default:
    return "tolerance";
  }
}

const char* ToleranceModifier(XCAFDimTolObjects_GeomToleranceModif m) {
  switch (m) {
  case XCAFDimTolObjects_GeomToleranceModif_Free_State:
    return "Ⓕ";
  case XCAFDimTolObjects_GeomToleranceModif_Tangent_Plane:
    return "Ⓣ";
  case XCAFDimTolObjects_GeomToleranceModif_Statistical_Tolerance:
    return "〈ST〉";
  case XCAFDimTolObjects_GeomToleranceModif_Common_Zone:
    return "CZ";
  case XCAFDimTolObjects_GeomToleranceModif_Least_Material_Requirement:
    return "Ⓛ";
  case XCAFDimTolObjects_GeomToleranceModif_Maximum_Material_Requirement:
    return "Ⓜ";
  case XCAFDimTolObjects_GeomToleranceModif_Reciprocity_Requirement:
    return "Ⓡ";
  case XCAFDimTolObjects_GeomToleranceModif_Each_Radial_Element:
    return "each radial element";
  case XCAFDimTolObjects_GeomToleranceModif_Line_Element:
    return "LE";
  case XCAFDimTolObjects_GeomToleranceModif_Not_Convex:
    return "NC";
  case XCAFDimTolObjects_GeomToleranceModif_Separate_Requirement:
    return "SEP REQT";
  case XCAFDimTolObjects_GeomToleranceModif_Any_Cross_Section:
    return "ACS";
  case XCAFDimTolObjects_GeomToleranceModif_Major_Diameter:
    return "MD";
  case XCAFDimTolObjects_GeomToleranceModif_Minor_Diameter:
    return "LD";
  case XCAFDimTolObjects_GeomToleranceModif_Pitch_Diameter:
    return "PD";
  case XCAFDimTolObjects_GeomToleranceModif_All_Around:
    return "all around";
  case XCAFDimTolObjects_GeomToleranceModif_All_Over:
    return "all over";
  }
  return "";
}

const char* DatumModifier(XCAFDimTolObjects_DatumSingleModif m) {
  switch (m) {
  case XCAFDimTolObjects_DatumSingleModif_MaximumMaterialRequirement:
    return "Ⓜ";
  case XCAFDimTolObjects_DatumSingleModif_LeastMaterialRequirement:
    return "Ⓛ";
  case XCAFDimTolObjects_DatumSingleModif_FreeState:
    return "Ⓕ";
  case XCAFDimTolObjects_DatumSingleModif_Translation:
    return "▷";
  case XCAFDimTolObjects_DatumSingleModif_Basic:
    return "[BSC]";
  case XCAFDimTolObjects_DatumSingleModif_AnyCrossSection:
    return "ACS";
  case XCAFDimTolObjects_DatumSingleModif_Any_LongitudinalSection:
    return "ALS";
  case XCAFDimTolObjects_DatumSingleModif_ContactingFeature:
    return "CF";
  case XCAFDimTolObjects_DatumSingleModif_DistanceVariable:
    return "DV";
  case XCAFDimTolObjects_DatumSingleModif_Line:
    return "SL";
  case XCAFDimTolObjects_DatumSingleModif_Plane:
    return "PL";
  case XCAFDimTolObjects_DatumSingleModif_Point:
    return "PT";
  case XCAFDimTolObjects_DatumSingleModif_Orientation:
    return "><";
  case XCAFDimTolObjects_DatumSingleModif_MajorDiameter:
    return "MD";
  case XCAFDimTolObjects_DatumSingleModif_MinorDiameter:
    return "LD";
  case XCAFDimTolObjects_DatumSingleModif_PitchDiameter:
    return "PD";
  case XCAFDimTolObjects_DatumSingleModif_DegreeOfFreedomConstraintU:
    return "u";
  case XCAFDimTolObjects_DatumSingleModif_DegreeOfFreedomConstraintV:
    return "v";
  case XCAFDimTolObjects_DatumSingleModif_DegreeOfFreedomConstraintW:
    return "w";
  case XCAFDimTolObjects_DatumSingleModif_DegreeOfFreedomConstraintX:
    return "x";
  case XCAFDimTolObjects_DatumSingleModif_DegreeOfFreedomConstraintY:
    return "y";
  case XCAFDimTolObjects_DatumSingleModif_DegreeOfFreedomConstraintZ:
    return "z";
  }
  return "";
}

} // namespace

std::string WithoutColons(std::string s) {
  for (char& c : s)
    if (c == ':') c = ' ';
  return s;
}

std::string KROStepToUtf8(const TCollection_ExtendedString& text) {
  static_assert(sizeof(Standard_ExtCharacter) == sizeof(char16_t));
  return KROStepUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.ToExtString()),
                                         static_cast<std::size_t>(text.Length())));
}

std::string KROStepUtf8(std::u16string_view units) {
  std::string out;
  const std::size_t n = units.size();
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

std::string KROStepNumber(double value, int decimals) {
  if (!std::isfinite(value)) return "?";
  char buf[64];
  if (decimals > 0 && decimals <= 12) {
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.6f", value);
  std::string s = buf;
  while (!s.empty() && s.back() == '0')
    s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

std::uint16_t KROStepDimensionType(XCAFDimTolObjects_DimensionType t) {
  switch (t) {
  case XCAFDimTolObjects_DimensionType_Location_None:
    return KROStepTypeUnknownDimension;
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromCenterToOuter:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromCenterToInner:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromOuterToCenter:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromOuterToOuter:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromOuterToInner:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromInnerToCenter:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromInnerToOuter:
  case XCAFDimTolObjects_DimensionType_Location_LinearDistance_FromInnerToInner:
    return KROStepTypeLinearLocation;
  case XCAFDimTolObjects_DimensionType_Location_Angular:
    return KROStepTypeAngularLocation;
  case XCAFDimTolObjects_DimensionType_Location_CurvedDistance:
  case XCAFDimTolObjects_DimensionType_Location_Oriented:
  case XCAFDimTolObjects_DimensionType_Location_WithPath:
    return KROStepTypeOtherLocation;
  case XCAFDimTolObjects_DimensionType_Size_Diameter:
    return KROStepTypeDiameter;
  case XCAFDimTolObjects_DimensionType_Size_Radius:
    return KROStepTypeRadius;
  case XCAFDimTolObjects_DimensionType_Size_SphericalDiameter:
  case XCAFDimTolObjects_DimensionType_Size_SphericalRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMinorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMajorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMinorRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalMajorRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalHighMajorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalLowMajorDiameter:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalHighMajorRadius:
  case XCAFDimTolObjects_DimensionType_Size_ToroidalLowMajorRadius:
    return KROStepTypeSphericalOrToroidal;
  case XCAFDimTolObjects_DimensionType_Size_Angular:
    return KROStepTypeAngularSize;
  case XCAFDimTolObjects_DimensionType_Size_CurveLength:
  case XCAFDimTolObjects_DimensionType_Size_Thickness:
  case XCAFDimTolObjects_DimensionType_Size_WithPath:
    return KROStepTypeOtherSize;
  case XCAFDimTolObjects_DimensionType_CommonLabel:
  case XCAFDimTolObjects_DimensionType_DimensionPresentation:
    return KROStepTypeOtherDimension;
  }
  return KROStepTypeUnknownDimension;
}

std::uint16_t KROStepToleranceType(XCAFDimTolObjects_GeomToleranceType t) {
  switch (t) {
  case XCAFDimTolObjects_GeomToleranceType_Straightness:
  case XCAFDimTolObjects_GeomToleranceType_Flatness:
  case XCAFDimTolObjects_GeomToleranceType_CircularityOrRoundness:
  case XCAFDimTolObjects_GeomToleranceType_Cylindricity:
    return KROStepTypeForm;
  case XCAFDimTolObjects_GeomToleranceType_Angularity:
  case XCAFDimTolObjects_GeomToleranceType_Parallelism:
  case XCAFDimTolObjects_GeomToleranceType_Perpendicularity:
    return KROStepTypeOrientation;
  case XCAFDimTolObjects_GeomToleranceType_Position:
  case XCAFDimTolObjects_GeomToleranceType_Concentricity:
  case XCAFDimTolObjects_GeomToleranceType_Coaxiality:
  case XCAFDimTolObjects_GeomToleranceType_Symmetry:
    return KROStepTypeLocation;
  case XCAFDimTolObjects_GeomToleranceType_ProfileOfLine:
  case XCAFDimTolObjects_GeomToleranceType_ProfileOfSurface:
    return KROStepTypeProfile;
  case XCAFDimTolObjects_GeomToleranceType_CircularRunout:
  case XCAFDimTolObjects_GeomToleranceType_TotalRunout:
    return KROStepTypeRunout;
  default:
    return KROStepTypeUnknownTolerance;
  }
}

std::string KROStepDimensionText(const XCAFDimTolObjects_DimensionObject& dim) {
  const XCAFDimTolObjects_DimensionType type = dim.GetType();
  const char* unit = IsAngle(type) ? "°" : "";
  Standard_Integer left = 0, right = 0;
  dim.GetNbOfDecimalPlaces(left, right);
  const int places = right;
  std::string s = DimensionPrefix(type);
  if (dim.IsDimWithRange()) {
    s += KROStepNumber(dim.GetLowerBound(), places) + unit + "–" +
         KROStepNumber(dim.GetUpperBound(), places) + unit;
  } else {
    s += KROStepNumber(dim.GetValue(), places) + unit;
    if (dim.IsDimWithPlusMinusTolerance()) {
      // OCCT keeps the lower deviation as a magnitude below the nominal value.
      const double upper = dim.GetUpperTolValue();
      const double lower = -dim.GetLowerTolValue();
      if (upper == -lower)
        s += " ±" + KROStepNumber(upper, places) + unit;
      else
        s += " " + Signed(upper, places, unit) + "/" + Signed(lower, places, unit);
    }
  }
  Standard_Boolean hole = false;
  XCAFDimTolObjects_DimensionFormVariance variance;
  XCAFDimTolObjects_DimensionGrade grade;
  if (dim.IsDimWithClassOfTolerance() && dim.GetClassOfTolerance(hole, variance, grade)) {
    static const char* const kLetters[] = {"",  "A", "B",  "C", "CD", "D", "E",  "EF", "F", "FG",
                                           "G", "H", "JS", "J", "K",  "M", "N",  "P",  "R", "S",
                                           "T", "U", "V",  "X", "Y",  "Z", "ZA", "ZB", "ZC"};
    const int v = static_cast<int>(variance);
    std::string letters = v >= 0 && v < static_cast<int>(std::size(kLetters)) ? kLetters[v] : "";
    if (!hole)
      for (char& c : letters)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // Grades run IT01, IT0, IT1, ...
    const int g = static_cast<int>(grade);
    if (!letters.empty()) s += " " + letters + (g == 0 ? std::string("01") : std::to_string(g - 1));
  }
  // For an angle between features OCCT turns the file's angle selection into a qualifier;
  // it is no min/max/avg of a size, so it is not shown.
  if (dim.HasQualifier() && type != XCAFDimTolObjects_DimensionType_Location_Angular) {
    switch (dim.GetQualifier()) {
    case XCAFDimTolObjects_DimensionQualifier_Min:
      s += " min";
      break;
    case XCAFDimTolObjects_DimensionQualifier_Max:
      s += " max";
      break;
    case XCAFDimTolObjects_DimensionQualifier_Avg:
      s += " avg";
      break;
    default:
      break;
    }
  }
  return WithoutColons(s);
}

std::string KROStepToleranceText(const XCAFDimTolObjects_GeomToleranceObject& tol) {
  std::string s = ToleranceName(tol.GetType());
  s += " ";
  switch (tol.GetTypeOfValue()) {
  case XCAFDimTolObjects_GeomToleranceTypeValue_Diameter:
    s += "⌀";
    break;
  case XCAFDimTolObjects_GeomToleranceTypeValue_SphericalDiameter:
    s += "S⌀";
    break;
  default:
    break;
  }
  s += KROStepNumber(tol.GetValue());
  switch (tol.GetMaterialRequirementModifier()) {
  case XCAFDimTolObjects_GeomToleranceMatReqModif_M:
    s += " Ⓜ";
    break;
  case XCAFDimTolObjects_GeomToleranceMatReqModif_L:
    s += " Ⓛ";
    break;
  default:
    break;
  }
  switch (tol.GetZoneModifier()) {
  case XCAFDimTolObjects_GeomToleranceZoneModif_Projected:
    s += " Ⓟ";
    if (tol.GetValueOfZoneModifier() > 0) s += KROStepNumber(tol.GetValueOfZoneModifier());
    break;
  case XCAFDimTolObjects_GeomToleranceZoneModif_NonUniform:
    s += " UZ";
    break;
  case XCAFDimTolObjects_GeomToleranceZoneModif_Runout:
    s += " runout";
    break;
  default:
    break;
  }
  const XCAFDimTolObjects_GeomToleranceModifiersSequence mods = tol.GetModifiers();
  for (const XCAFDimTolObjects_GeomToleranceModif m : mods) {
    const char* t = ToleranceModifier(m);
    if (*t) s += std::string(" ") + t;
  }
  if (tol.GetMaxValueModifier() > 0) s += " / " + KROStepNumber(tol.GetMaxValueModifier()) + " max";
  return WithoutColons(s);
}

std::string KROStepDatumRefText(const XCAFDimTolObjects_DatumObject& datum) {
  Handle(TCollection_HAsciiString) name = datum.GetName();
  std::string s = name.IsNull() ? std::string("?") : std::string(name->ToCString());
  if (datum.IsDatumTarget()) s += std::to_string(datum.GetDatumTargetNumber());
  const XCAFDimTolObjects_DatumModifiersSequence mods = datum.GetModifiers();
  for (const XCAFDimTolObjects_DatumSingleModif m : mods) {
    const char* t = DatumModifier(m);
    if (*t) s += std::string(" ") + t;
  }
  return WithoutColons(s);
}
