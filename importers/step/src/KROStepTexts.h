// KROStepTexts.h - readable texts and type codes for OCCT's PMI objects.
///
/// Texts are UTF-8 and never hold ':' (the kernel reads annotation ids between colons).
#pragma once

#include <XCAFDimTolObjects_DatumObject.hxx>
#include <XCAFDimTolObjects_DimensionObject.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>

#include <cstdint>
#include <string>

class TCollection_ExtendedString;

/// Drops every ':' so that no text can be read as a list of annotation ids.
std::string WithoutColons(std::string s);

std::string KROStepToUtf8(const TCollection_ExtendedString& text);

/// A number as a reader writes it: `decimals` places when positive, else the shortest form
/// (at most six places, trailing zeros dropped).
std::string KROStepNumber(double value, int decimals = 0);

std::uint16_t KROStepDimensionType(XCAFDimTolObjects_DimensionType type);
std::uint16_t KROStepToleranceType(XCAFDimTolObjects_GeomToleranceType type);

/// E.g. "⌀35 +0.2/0", "60° ±0.5°", "R5 max".
std::string KROStepDimensionText(const XCAFDimTolObjects_DimensionObject& dim);
/// E.g. "position ⌀0.25 Ⓜ"; the caller appends the datum system.
std::string KROStepToleranceText(const XCAFDimTolObjects_GeomToleranceObject& tol);
/// E.g. "A", "B Ⓜ".
std::string KROStepDatumRefText(const XCAFDimTolObjects_DatumObject& datum);
