#pragma once
// The main window's commands that are more than a call on the view: the
// option dialogs, the drawing properties, the new-drawing dialog, the
// commands on the selection (scale, line width, colours, pen style, font) and
// the outside programs (help, the block editor, the scanner). Each is a plain
// function so the action table stays data and tests call them directly.

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QFont;
class QWidget;
class TCustomFigure;
class TDrawView;
class TMyFont;
class TPropertyForm;

// "环境选项": on OK the controls go into SysEnvironment; true on OK. The
// caller then passes the background colour and cursor pen to every view.
bool EnvironmentOptionsCommand(QWidget* Parent = nullptr);
// "设置端点捕捉": snap kinds, capture colour and radius; true on OK.
bool SnapOptionsCommand(QWidget* Parent = nullptr);
// "定义图形属性" over the view's drawing root (registered as the root's
// property editor too); true on OK.
bool DrawingPropertiesCommand(TDrawView& View);

// "新建工程". Filled from Name, Width and Height; on OK either a template
// file was chosen or the typed values are returned. False on Cancel or when
// a number does not convert.
struct TNewDrawingChoice {
  std::string Name;
  double Width = 0;
  double Height = 0;
  std::string TemplateFile;  // empty: no template
};
bool NewDrawingDialog(TNewDrawingChoice& Choice, QWidget* Parent = nullptr);

// Commands on the selection of a view; each does nothing on an empty one.
void ScaleSelectionCommand(TDrawView& View);    // "缩放比例"
void LineWidthCommand(TDrawView& View);         // "线宽"
// Colour buttons: nullopt is the no-colour entry ("无线条颜色", "无填充颜色").
void PenColorCommand(TDrawView& View, std::optional<unsigned> Color);
void FillColorCommand(TDrawView& View, std::optional<unsigned> Color);
void FontColorCommand(TDrawView& View, unsigned Color);
// The colour a colour button shows before dropping down; nullopt: no colour
// (also with nothing selected: ask HasSelectedFigure to leave the button be).
bool HasSelectedFigure(TDrawView& View);
std::optional<unsigned> SelectionPenColor(TDrawView& View);
std::optional<unsigned> SelectionFillColor(TDrawView& View);
std::optional<unsigned> SelectionFontColor(TDrawView& View);
void PenStyleCommand(TDrawView& View, QWidget* Parent = nullptr);  // "线条样式"
void FillCommand(TDrawView& View, QWidget* Parent = nullptr);      // "填充"
void FontCommand(TDrawView& View, QWidget* Parent = nullptr);      // "字体"

// Outside programs. Each says clearly when the piece is missing.
void OpenHelpFile();                 // Plandeck.hlp (or its successor) beside the program
void StartBlockForge();              // "BlockForge.Exe" beside the program
// The scanner behind a small interface; without a backend the scan fails.
class TScannerBackend {
public:
  virtual ~TScannerBackend() = default;
  // Scans one page into a JPEG file at Dest; false when nothing was scanned.
  virtual bool ScanToJpeg(const std::string& Dest) = 0;
};
void SetScannerBackend(std::unique_ptr<TScannerBackend> Backend);
bool ScanPicture(const std::string& Dest);

// The figures that carry text (their font), and the closed figures that
// take a fill: one list each, so the families join here as they arrive.
TMyFont* TextFontOf(TCustomFigure& Figure);
bool IsClosedFigure(const TCustomFigure& Figure);

// Hooks for tests, each returning the previous one. A form hook answers every
// dialog a command opens: it fills the form and calls Accept or Reject.
using TCommandFormHook = std::function<void(TPropertyForm& Form)>;
TCommandFormHook SetCommandFormHook(TCommandFormHook Hook);
// The font dialog: true on OK with the chosen font in Font.
using TFontDialogHook = std::function<bool(QFont& Font)>;
TFontDialogHook SetFontDialogHook(TFontDialogHook Hook);
// The font dialog (or its hook) on Font, its height shown as the pixel size;
// on OK Font takes the chosen face, size and style and keeps its colour.
bool ChooseFont(TMyFont& Font, QWidget* Parent = nullptr);
// Opens a document (help) or starts a program; false when that failed.
using TLaunchHook = std::function<bool(const std::string& Path, bool IsProgram)>;
TLaunchHook SetLaunchHook(TLaunchHook Hook);

// The help files looked for beside the program, in this order.
std::string FindHelpFile();

// Registers the property dialogs of every figure family and of the drawing
// root with the figures, once at start-up.
void RegisterPropertyDialogs();
