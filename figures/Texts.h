#pragma once
// The text figures: the text line ("字线", a multi-segment line broken by a
// repeated text), the boxed edit box ("编辑框") and memo ("文本框") edited in
// place, the slanted label ("标签") and the leader line ("引出线"). Each
// abstract class holds everything; the concrete one adds only Clone. The
// in-place editors are the platform's edit controls, reached through
// TInPlaceEditor so that the model stays free of widgets.

#include "figures/Figure.h"
#include "figures/MltLine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// ---- in-place editing

// A single- or multi-line edit control over a view, placed in the view's
// client pixels. The view layer makes them (SetInPlaceEditorFactory).
class TInPlaceEditor {
public:
  virtual ~TInPlaceEditor() = default;
  // The logical rectangle the editor stands over, asked again whenever the
  // view scrolls, zooms or paints.
  virtual void Follow(std::function<TRect()> LogicalRect) = 0;
  virtual void Reposition() = 0;
  virtual void SetFont(const std::string& Name, std::uint8_t Style, int PixelHeight, COLORREF Color) = 0;
  // Background colour; none keeps the control's own.
  virtual void SetBackground(bool Filled, COLORREF Color) = 0;
  virtual void SetText(const std::string& Utf8) = 0;
  virtual std::string Text() const = 0;
  virtual void Show(bool Focus) = 0;  // visible, all text selected
  virtual void Hide() = 0;            // hidden and taken off the view
  virtual bool Visible() const = 0;
  virtual TFigureView* View() const = 0;
};

using TInPlaceEditorFactory = std::function<std::unique_ptr<TInPlaceEditor>(TFigureView& View, bool MultiLine)>;
// Returns the previous factory.
TInPlaceEditorFactory SetInPlaceEditorFactory(TInPlaceEditorFactory Factory);

// The text colour, a transparent background, top-left alignment and a font
// selected on a canvas, all put back when it goes.
class TTextScope {
public:
  TTextScope(TCanvas& Canvas, const TLogFont& Font, COLORREF Color);
  ~TTextScope();
  TTextScope(const TTextScope&) = delete;
  TTextScope& operator=(const TTextScope&) = delete;

private:
  TCanvas& FCanvas;
  COLORREF FOldColor;
  int FOldMode;
  unsigned FOldAlign;
  TLogFont FOldFont;
};

// Equal but for the case of ASCII letters: what SetText leaves alone.
bool SameTextIgnoringCase(const std::string& A, const std::string& B);

// Text broken into lines of at most PerLine GBK bytes, never inside a
// two-byte character (any lead byte 0x81-0xFE, not only GB2312's).
std::vector<std::string> WrapByBytes(const std::string& Utf8, int PerLine);
// The length of Utf8 in GBK bytes.
std::size_t GbkLength(const std::string& Utf8);

// ---- text line

class TCustomTextLine : public TCustomMltLine {
  PLANDECK_DECLARE_CLASS(TCustomTextLine)
public:
  explicit TCustomTextLine(TMyPersistent* AOwner = nullptr);
  ~TCustomTextLine() override;

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void AddPoint(Tpt P) override;
  void Explode(TCustomFigureSet& Set) override;

  void SetText(const std::string& Value);
  void SetFont(const TMyFont& Font);
  void SetGap(double Value);

  std::string FText = "V";
  std::unique_ptr<TMyFont> FFont;
  std::uint8_t FFrame = 0;
  double FTextHeight = 0;  // height of "W", local; set at every paint
  double FGap = 0;         // line between two copies; 0 until the first paint

protected:
  double HitTolerance() const override;
};

class TTxTextLine : public TCustomTextLine {
  PLANDECK_DECLARE_CLASS(TTxTextLine)
public:
  explicit TTxTextLine(TMyPersistent* AOwner = nullptr) : TCustomTextLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- boxed labels

class TCustomTxLabel : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomTxLabel)
public:
  explicit TCustomTxLabel(TMyPersistent* AOwner = nullptr);
  ~TCustomTxLabel() override;

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 8; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;
  void OnEditProperties(TFigureView* View) override;
  void OnAfterEditProperties(TFigureView* View) override;

  void SetText(const std::string& Value);
  void SetFont(const TMyFont& Font);
  void SetAutoSize(bool Value);
  void SetWidth(double Value);
  void SetHeight(double Value);
  void SetYd(Tpt Value);
  bool Editing() const { return FInPlaceEditor && FInPlaceEditor->Visible(); }
  TInPlaceEditor* InPlaceEditor() const { return FInPlaceEditor.get(); }

  // The four kept only by the first version's files.
  std::uint8_t FAlignment = 0;  // taLeftJustify, taRightJustify, taCenter
  bool FTransparent = false;
  bool FWordWrap = false;
  std::uint8_t FFrame = 0;
  bool FAutoSize = false;
  double FActFontSize = 0;  // device height of the font at the last paint
  std::unique_ptr<TMyFont> FFont;
  std::string FText;
  double FWidth = 100, FHeight = 20;
  Tpt FYd;

protected:
  // The memo puts its lines in and takes them back.
  virtual bool MultiLine() const { return false; }
  virtual std::string EditorText() const { return FText; }
  virtual void TakeEditorText(const std::string& Text) { SetText(Text); }
  // The box and, while editing, the editor over it; false when only the editor shows.
  bool PaintBox(TShowPlace& ShowPlace);
  void PaintText(TCanvas& Canvas, const std::string& Text);

  std::unique_ptr<TInPlaceEditor> FInPlaceEditor;
};

class TCustomTxEdit : public TCustomTxLabel {
  PLANDECK_DECLARE_CLASS(TCustomTxEdit)
public:
  explicit TCustomTxEdit(TMyPersistent* AOwner = nullptr);
  void Paint(TShowPlace& ShowPlace) override;
};

class TTxEdit : public TCustomTxEdit {
  PLANDECK_DECLARE_CLASS(TTxEdit)
public:
  explicit TTxEdit(TMyPersistent* AOwner = nullptr) : TCustomTxEdit(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

class TCustomTxMemo : public TCustomTxLabel {
  PLANDECK_DECLARE_CLASS(TCustomTxMemo)
public:
  explicit TCustomTxMemo(TMyPersistent* AOwner = nullptr);

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void Paint(TShowPlace& ShowPlace) override;

  // Ends any in-place editing first.
  void SetLines(const std::vector<std::string>& Lines);

  std::vector<std::string> FLines{"文本框"};

protected:
  bool MultiLine() const override { return true; }
  std::string EditorText() const override;
  void TakeEditorText(const std::string& Text) override;
};

class TTxMemo : public TCustomTxMemo {
  PLANDECK_DECLARE_CLASS(TTxMemo)
public:
  explicit TTxMemo(TMyPersistent* AOwner = nullptr) : TCustomTxMemo(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- slanted label

class TCustomXLabel : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomXLabel)
public:
  explicit TCustomXLabel(TMyPersistent* AOwner = nullptr);
  ~TCustomXLabel() override;

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return 8; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  void SetText(const std::string& Value);
  void SetFont(const TMyFont& Font);
  void SetAutoSize(bool Value);
  // The lines the label paints: the whole text when sized to it, else
  // wrapped by character count and cut to what the box holds.
  std::vector<std::string> TextLines(TCanvas& Canvas) const;

  std::string FText = "标签";
  std::unique_ptr<TMyFont> FFont;
  std::uint8_t FFrame = 0;
  bool FAutoSize = false;
  Tpt FYd;
  double FWidth = 100, FHeight = 20;
};

class TTxXLabel : public TCustomXLabel {
  PLANDECK_DECLARE_CLASS(TTxXLabel)
public:
  explicit TTxXLabel(TMyPersistent* AOwner = nullptr) : TCustomXLabel(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// ---- leader line

class TCustomDimension : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomDimension)
public:
  explicit TCustomDimension(TMyPersistent* AOwner = nullptr);
  ~TCustomDimension() override;

  void AssignTo(TPersistent& Dest) const override;
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return int(FPoints.size()); }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void CreateByRefPoint(TTxCollectFound& Points) override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  Tpt GetPoint(int Index) const { return FPoints.at(std::size_t(Index)); }
  void SetPoint(int Index, Tpt P);
  void SetPoints(const std::vector<Tpt>& Points);
  void SetText(const std::string& Value);
  void SetFont(const TMyFont& Font);
  // Where the underline ends away from the last point (local).
  Tpt UnderlineEnd() const;

  std::vector<Tpt> FPoints;
  std::string FText = "100";
  std::unique_ptr<TMyFont> FFont;
  double FTextLength = 0, FTextHeight = 0;  // local; set at every paint
  std::int32_t FTextAlign = 1;              // 0 left of the last point, 1 right of it

private:
  // The text's extent measured off screen with the font as painted.
  void Measure();
};

class TDimension : public TCustomDimension {
  PLANDECK_DECLARE_CLASS(TDimension)
public:
  explicit TDimension(TMyPersistent* AOwner = nullptr) : TCustomDimension(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

void RegisterTextClasses();
void RegisterDimensionClasses();
