#pragma once
// Plain GDI-shaped value types and constants shared by figures, views and
// every canvas backend. No Qt here: figures include this freely, and the
// numbers are the Win32 ones so a metafile writer can emit them unchanged.

#include <cstdint>
#include <string>

#include "foundation/Comtype.h"

// ---- colours ---------------------------------------------------------------

// A colour as drawings store it: 0x00BBGGRR. Values with the top bit set are
// system colours (index in the low byte), kept so for files and DXF.
using COLORREF = std::uint32_t;

constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF c) { return std::uint8_t(c & 0xFF); }
constexpr std::uint8_t GetGValue(COLORREF c) { return std::uint8_t((c >> 8) & 0xFF); }
constexpr std::uint8_t GetBValue(COLORREF c) { return std::uint8_t((c >> 16) & 0xFF); }

constexpr COLORREF clBlack = 0x000000;
constexpr COLORREF clWhite = 0xFFFFFF;
constexpr COLORREF clSystemColor = 0x80000000u;

// A system colour resolved to the classic desktop defaults; plain colours pass.
COLORREF ColorToRGB(COLORREF c);

// ---- rectangles and sizes --------------------------------------------------

struct TRect {
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Right = 0;
  std::int32_t Bottom = 0;
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

struct TSize {
  std::int32_t cx = 0;
  std::int32_t cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// ---- pens and brushes as figures keep them ---------------------------------

// Ordinals are saved as one raw byte each; do not reorder.
enum TPenStyle : std::uint8_t {
  psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame
};

enum TPenMode : std::uint8_t {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot,
  pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask,
  pmNotMask, pmXor, pmNotXor
};

enum TBrushStyle : std::uint8_t {
  bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
  bsCross, bsDiagCross
};

// The pen a figure owns and saves (colour, mode, style, width).
struct TPen {
  COLORREF Color = clBlack;
  TPenMode Mode = pmCopy;
  TPenStyle Style = psSolid;
  std::int32_t Width = 1;
  friend bool operator==(const TPen&, const TPen&) = default;
};

// The brush a figure owns and saves.
struct TBrush {
  COLORREF Color = clWhite;
  TBrushStyle Style = bsSolid;
  friend bool operator==(const TBrush&, const TBrush&) = default;
};

// ---- GDI objects as the canvas selects them --------------------------------

enum TPenEndCap : std::uint8_t { pecRound, pecSquare, pecFlat };
enum TPenJoin : std::uint8_t { pjRound, pjBevel, pjMiter };

// CreatePen / ExtCreatePen in one record. Widths are logical units; a cosmetic
// pen of width 0 is one device pixel. Dashed styles are honoured only for
// pens of at most one device pixel, as GDI does; wider dashes are drawn by
// the figures themselves.
struct TLogPen {
  TPenStyle Style = psSolid;
  std::int32_t Width = 0;
  COLORREF Color = clBlack;
  bool Geometric = false;
  TPenEndCap EndCap = pecRound;
  TPenJoin Join = pjRound;
  friend bool operator==(const TLogPen&, const TLogPen&) = default;
};

// The pen a figure's Draw selects: geometric, flat caps, mitre joins, width in
// logical units; clear and inside-frame kept, every other style drawn solid.
TLogPen GeometricPen(const TPen& pen);

// An 8 x 8 monochrome pattern, one byte per row, most significant bit leftmost.
// As in GDI, set bits take the background colour and clear bits the text
// colour, both read from the canvas when the pattern is drawn.
struct TBrushPattern {
  std::uint8_t Rows[8] = {};
  friend bool operator==(const TBrushPattern&, const TBrushPattern&) = default;
};

struct TLogBrush {
  TBrushStyle Style = bsSolid;
  COLORREF Color = clWhite;
  bool HasPattern = false;  // pattern brush: Style and Color are ignored
  TBrushPattern Pattern;
  friend bool operator==(const TLogBrush&, const TLogBrush&) = default;
};

inline TLogPen CreatePen(TPenStyle style, std::int32_t width, COLORREF color) {
  return TLogPen{style, width, color, false, pecRound, pjRound};
}
inline TLogBrush CreateSolidBrush(COLORREF c) { return TLogBrush{bsSolid, c, false, {}}; }
// style is one of the six hatches (or bsSolid / bsClear).
inline TLogBrush CreateHatchBrush(TBrushStyle style, COLORREF c) { return TLogBrush{style, c, false, {}}; }
inline TLogBrush CreatePatternBrush(const TBrushPattern& p) { return TLogBrush{bsSolid, clBlack, true, p}; }
inline TLogBrush NullBrush() { return TLogBrush{bsClear, clWhite, false, {}}; }
inline TLogBrush ToLogBrush(const TBrush& b) { return TLogBrush{b.Style, b.Color, false, {}}; }

constexpr std::int32_t FW_NORMAL = 400;
constexpr std::int32_t FW_BOLD = 700;
constexpr std::uint8_t GB2312_CHARSET = 134;

// LOGFONT. Height in logical units: negative is the character (em) height,
// positive the cell height. Escapement in tenths of a degree, counter-clockwise
// as on a y-down device: under the views' y-up mapping a positive value turns
// the text clockwise on screen, which is why figures negate their angles.
struct TLogFont {
  std::int32_t Height = -12;
  std::int32_t Escapement = 0;
  std::int32_t Orientation = 0;
  std::int32_t Weight = FW_NORMAL;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  std::uint8_t CharSet = GB2312_CHARSET;
  std::string FaceName = "宋体";  // UTF-8
  friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

struct TTextMetric {
  std::int32_t tmHeight = 0;
  std::int32_t tmAscent = 0;
  std::int32_t tmDescent = 0;
  std::int32_t tmInternalLeading = 0;
  std::int32_t tmAveCharWidth = 0;
};

// ---- DC constants (Win32 values) -------------------------------------------

constexpr int MM_TEXT = 1;
constexpr int MM_ANISOTROPIC = 8;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

constexpr int AD_COUNTERCLOCKWISE = 1;
constexpr int AD_CLOCKWISE = 2;

// SetROP2 codes (Win32 values). A figure's TPenMode selects one of them.
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;
int PenModeToRop2(TPenMode mode);

// a * b / c rounded to the nearest integer, halves to even, exactly: the
// mapping arithmetic every canvas shares, so screen and metafiles agree.
std::int32_t MulDivEven(std::int64_t a, std::int64_t b, std::int64_t c);

constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;

// Raster operations of the block transfers.
constexpr std::uint32_t SRCCOPY = 0x00CC0020;
constexpr std::uint32_t SRCAND = 0x008800C6;
constexpr std::uint32_t SRCPAINT = 0x00EE0086;
constexpr std::uint32_t SRCINVERT = 0x00660046;
constexpr std::uint32_t DSTINVERT = 0x00550009;
constexpr std::uint32_t PATCOPY = 0x00F00021;
constexpr std::uint32_t BLACKNESS = 0x00000042;
constexpr std::uint32_t WHITENESS = 0x00FF0062;
constexpr std::uint32_t DPa = 0x00A000C9;  // destination AND pattern

// GetDeviceCaps indices and the technology values figures test.
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
constexpr int DT_METAFILE = 5;

// CombineRgn modes and results.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
