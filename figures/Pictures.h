#pragma once
// The picture figure (TTxPicture: a raster or metafile image in a rectangle)
// and the embedded-object figure (TTxOle). Both are axis-aligned rectangles
// anchored at their origin corner and scaled by the figure's scale. There is
// no object hosting on this platform: an OLE figure keeps its object's
// storage as bytes, writes them back unchanged and paints the presentation
// stored in it (or, without one, a captioned frame). The picture dialog's
// model sits here too.

#include "figures/Figure.h"
#include "platform/Graphic.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// The picture waiting to be placed: the insertion commands load it, the
// next picture figure built by the two-point tool takes it.
extern std::unique_ptr<TPicture> MyPicture;

// Class tags of the picture stream, one per graphic kind.
inline constexpr std::uint32_t kMetafileTag = 0x0041B73C;
inline constexpr std::uint32_t kBitmapTag = 0x0041B878;
inline constexpr std::uint32_t kIconTag = 0x0041B9B8;
inline constexpr std::uint32_t kJpegTag = 0x004DC6DC;
inline constexpr std::uint32_t kGifTag = 0x004F2E0C;

class TCustomTxPicture : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomTxPicture)
public:
  explicit TCustomTxPicture(TMyPersistent* AOwner = nullptr);
  ~TCustomTxPicture() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void ReadStream(TStream& Stream) override;
  void WriteStream(TStream& Stream) override;
  void AssignTo(TPersistent& Dest) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  int GetHandleCount() const override { return 8; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  void CalcPositionRect(TRect& Rect) const override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;
  void FigureMirror(TBx Line) override;
  void Explode(TCustomFigureSet& Set) override;
  using TCustomFigure::CreateByRefPoint;
  // The rectangle spanned by the first two points (local) holds the pending
  // MyPicture, which it takes. False, changing nothing, for fewer points.
  bool CreateByRefPoint(std::span<const Tpt> Points);
  // The same from a logical rectangle and a copy of Picture.
  void CreateFromPicture(const TPicture& Picture, const TRect& Rect);
  // Cleared, the size returns to the image's own pixel size.
  void SetStretch(bool Value);

  const TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(std::unique_ptr<TPicture> Picture);

  Tpt FYd;
  double FWidth = 1000;
  double FHeight = 1000;
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = true;
  bool FSameScale = false;
};

class TTxPicture : public TCustomTxPicture {
  PLANDECK_DECLARE_CLASS(TTxPicture)
public:
  explicit TTxPicture(TMyPersistent* AOwner = nullptr) : TCustomTxPicture(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// An embedded object as it is saved: the draw aspect and the storage's
// compound-file image, kept byte for byte.
struct TOleObjectBlock {
  std::uint32_t Aspect = 1;
  std::vector<std::uint8_t> Storage;
  friend bool operator==(const TOleObjectBlock&, const TOleObjectBlock&) = default;
};

class TCustomOle : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomOle)
public:
  explicit TCustomOle(TMyPersistent* AOwner = nullptr);
  ~TCustomOle() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  int GetHandleCount() const override { return 8; }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetRefPoint(double X, double Y) override;
  void CalcPositionRect(TRect& Rect) const override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;
  void FigureMirror(TBx Line) override;
  void Explode(TCustomFigureSet& Set) override;
  void OnAfterEditProperties(TFigureView* View) override;
  using TCustomFigure::CreateByRefPoint;
  bool CreateByRefPoint(std::span<const Tpt> Points);

  // No object can be activated here: says so in a message box; false.
  bool DoVerb(int Verb);
  // Double click and the "编辑..." command run the primary verb.
  void EditProperties(TFigureView* View) override;
  void OnEditProperties(TFigureView* View = nullptr) override;
  // The stored presentation, if the object has one that decodes.
  const TGraphic* Presentation() const { return FPresentation.get(); }
  // Sets the object block (or none) and finds its presentation.
  void SetObject(std::unique_ptr<TOleObjectBlock> Block);
  void SetWidth(double Value);
  void SetHeight(double Value);
  void PaintFrame(TShowPlace& ShowPlace);

  Tpt FYd;
  double FWidth = 1000;
  double FHeight = 1000;
  std::uint8_t FFrame = 1;  // only read from version-1 files
  std::unique_ptr<TOleObjectBlock> FOle;
  bool FLoaded = false;

 private:
  std::shared_ptr<const TGraphic> FPresentation;  // decoded once, shared by copies
};

// The message double clicking an embedded object shows.
inline constexpr const char* kOleCannotEdit = "本系统不能编辑嵌入对象。";

class TTxOle : public TCustomOle {
  PLANDECK_DECLARE_CLASS(TTxOle)
public:
  explicit TTxOle(TMyPersistent* AOwner = nullptr) : TCustomOle(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

// Reads an object block (the "BDOC" header and the storage image) from the
// value stream. Throws EStreamError "Invalid stream format" for another
// signature, after stepping over the block so what follows still reads.
TOleObjectBlock ReadOleObjectBlock(TReader& Reader);
void WriteOleObjectBlock(TWriter& Writer, const TOleObjectBlock& Block);

void RegisterPictureFigureClasses();

// ---- the picture dialog's model

struct TPictureProperties {
  std::string Ident;  // "$" and 8 hexadecimal digits
  std::string X, Y;   // origin, user units
  std::string Length, Width;  // scale x width and scale x height, user units
  bool KeepOriginalSize = false;  // resizable cleared
  bool KeepAspect = false;
  int LayerIndex = 0;
};

TPictureProperties GetPictureProperties(const TCustomTxPicture& Picture);
// In order; the first number that does not convert ends the update there.
void SetPictureProperties(TCustomTxPicture& Picture, const TPictureProperties& Props);
// With the aspect locked: the other size field from one, by the image's own
// height-to-width ratio ("%1.3f"); empty when it cannot be worked out.
std::string PictureWidthForLength(const TCustomTxPicture& Picture, const std::string& Length);
std::string PictureLengthForWidth(const TCustomTxPicture& Picture, const std::string& Width);
