#pragma once
// Points typed on the keyboard while a drawing tool waits for a click:
// "x,y" (absolute), "@dx,dy" (relative to the last point) and
// "@length<angle" (polar, degrees counter-clockwise from +x), all in the
// user units the property dialogs show. Refusals carry a hint for the user.

#include "foundation/Comtype.h"

#include <optional>
#include <string>
#include <string_view>

class TDocView;

enum class TTypedForm { Absolute, Relative, Polar };

struct TTypedPoint {
  TTypedForm Form = TTypedForm::Absolute;
  double A = 0;  // x, dx or the length
  double B = 0;  // y, dy or the angle in degrees
};

// The entry's text as a point; nullopt with Hint set when it is not one.
// Blanks are allowed round the numbers; the full-width "，", "＠" and "＜" of a
// Chinese input method count as their plain forms.
std::optional<TTypedPoint> ParseTypedPoint(std::string_view Text, std::string& Hint);

// The user point the entry names. Last is the last point in user units,
// needed by the @ forms; nullopt with Hint set when it is missing.
std::optional<Tpt> ResolveTypedPoint(const TTypedPoint& Point, const std::optional<Tpt>& Last, std::string& Hint);

// Conversions for points of the drawing root's own frame ("local"), the
// frame every top-level figure keeps its points in: logical units (the
// current zoom), local units, and user units (local times the document's
// drawing scale, as the dialogs and the status bar show them).
Tpt LogToLocal(const TDocView& View, Tpt Log);
Tpt LocalToLog(const TDocView& View, Tpt Local);
Tpt LocalToUser(const TDocView& View, Tpt Local);
Tpt UserToLocal(const TDocView& View, Tpt User);
