// KROStepMatch.h - the file's facts joined to what OCCT's document holds (no OCCT here).
///
/// Every semantic PMI item the file states becomes one object, with its text in the drawing's
/// notation, its numbers in millimetres and degrees, and the faces the file ties it to. OCCT's
/// document adds what the file's facts do not carry: an object's graphic, its annotation plane
/// and its labels, and the faces OCCT relates it to. OCCT keeps no link between its objects
/// and the file's entities, so they are matched:
///   - a tolerance with an OCCT tolerance of the same kind: first of the same name and value
///     (relative 1e-6, in millimetres), then of the same value, then of the same name, then on
///     the same faces; within a pass, the one on the same faces wins, then the first in OCCT's
///     order;
///   - a dimension with an OCCT dimension on the same faces and of the same value (OCCT 7.6
///     leaves some nominal values in the file's unit: either counts), then on the same faces;
///   - a datum feature with OCCT's datum of the same letter (and target number);
///   - a note with an OCCT label-only dimension of the same name, else on the same faces.
/// Each OCCT object matches once. OCCT objects that match nothing stay as OCCT read them.
///
/// Saved views: a camera model whose draughting model presents PMI is a capture; one with the
/// same name and camera as an earlier capture repeats it. Every other camera model is listed
/// in `cameras` with the reason it is not a capture.
#pragma once

#include "KROStepFacts.h"
#include "KROStepPmi.h"

/// Replaces the objects and views OCCT's document gave `pmi` by those of `facts`, joined as
/// above. Without facts (`facts.read` false) `pmi` is left as OCCT read it.
void KROStepMatchFacts(const KROStepFileFacts& facts, KROStepPmi& pmi);

/// The type code of a dimension by the file's word for what it measures.
KROStepTypeCode KROStepDimensionTypeOf(const KROStepFileDimension& d);
