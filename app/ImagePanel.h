#pragma once
// The library palettes: TImagePanel shows a library document as a grid of
// captioned thumbnails; TInputItem ("输入图块") chooses a block to insert;
// TBrushStylePage is the custom page ("自定义填充") of the fill dialog; and
// TFillItemGapScale ("填充块属性") sets a fill block's scale and spacing.

#include "docview/ImageLibrary.h"

#include <QAbstractScrollArea>
#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class TDef_Tx;

enum TItemType { itBlock, itFill };
enum TDisplayMode { dmVert, dmHorz, dmNone };

class TImagePanel : public QAbstractScrollArea, public TImageDocumentView {
public:
  explicit TImagePanel(QWidget* Parent = nullptr);
  ~TImagePanel() override;

  void SetDocument(TImageDocument* Doc);
  TImageDocument* Document() const { return FDocument; }
  void SetItemType(TItemType Type);
  void SetDisplayMode(TDisplayMode Mode);
  void SetItemIndex(int Index);
  int ItemIndex() const { return FItemIndex; }
  // The first selected item as a block, or none.
  TTxBlock* GetSelected() const;
  const std::vector<int>& SelectedIndices() const { return FSelectedList; }
  int GetItemCount() const;
  // The thumbnail's corner (logical, y up: its lower left) and rectangles in
  // logical units of the content.
  TPoint GetItemPoint(int Index) const;
  TRect GetItemRect(int Index) const;    // the cell
  TRect GetFigureRect(int Index) const;  // the thumbnail
  void RefreshItem(int Index);
  void CutItem();
  void CopyItem();
  void PasteItem();
  void DeleteItem();
  void RenameCurrentItem(const std::string& Name);
  // 0 every entry, 1 none, 2 only "间距及缩放系数...".
  void SetPopUpMenuOption(int Option);
  QMenu& PopupMenu() const { return *FPopMenu; }
  // Enables the entries as the selection and the clipboard allow.
  void UpdatePopupMenu();
  void InitParameters();
  int HorzItemCount() const { return FHorzItemCount; }
  int VertItemCount() const { return FVertItemCount; }
  int ItemWidth() const { return FItemWidth; }
  int ItemHeight() const { return FItemHeight; }
  int CaptionHeight() const { return FCaptionHeight; }

  void PointClientToDoc(TPoint& P) const;
  void PointDocToClient(TPoint& P) const;
  void RectClientToDoc(TRect& R) const;
  void RectDocToClient(TRect& R) const;

  // A click as the mouse gives it (client pixels).
  void ClickAt(TPoint Client, bool Ctrl, bool Shift);
  // The picture the panel shows (what painting renders), for checks.
  QImage Render();

  void DocumentChanged() override;
  void DocumentFreed() override;

  std::function<void()> FOnDblClick;
  std::function<void()> FOnSelect;  // after the selection changed by a click
  std::function<void()> FOnChange;  // after an item was edited through the panel

  int FFigureItemWidth = 100;
  int FFigureItemHeight = 100;
  int FHorzGap = 10;
  int FVertGap = 10;

protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;

private:
  void RenderInto(QImage& Image, const QRect& Clip);
  void PaintItem(class TCanvas& DC, int Index);
  void PaintFill(class QPainter& Painter, int Index);
  void HatchSelected(QImage& Image, int Index);
  int HitItem(TPoint Client) const;
  void RebuildSelection();
  void EditScale();
  void AskRename();
  void Changed();

  int FCaptionHeight = 12;
  TItemType FItemType = itBlock;
  int FItemIndex = -1;
  TDisplayMode FDisplayMode = dmVert;
  std::vector<int> FSelectedList;
  std::vector<TCustomFigure*> FSelection;
  TImageDocument* FDocument = nullptr;
  int FHorzItemCount = 1;
  int FVertItemCount = 0;
  int FItemWidth = 0;
  int FItemHeight = 0;
  QMenu* FPopMenu = nullptr;
  std::vector<QAction*> FMenuItems;  // the nine entries, separators included
};

// Fits Width x Height (a block's size times its scale) into Box x Box: the
// factor the thumbnail multiplies the scale by, 0 when there is nothing to
// show. A block of one horizontal (or vertical) line fits on its other axis.
double ThumbnailFit(double Width, double Height, double BoxWidth, double BoxHeight);

// "填充块属性" on Block: the scale, and the gaps shown times the scale.
// On OK the scale is set first and each gap becomes entry / new scale; an
// entry that does not parse ends the update there. True on OK.
bool FillItemGapScale(TTxBlock& Block, QWidget* Parent = nullptr);

// Loads libraries into a project for a palette: a file that cannot be read
// shows an empty palette and a message naming it.
class TLibraryLoader {
public:
  TImageDocument& Load(const std::string& Path);
  TImageProject FProject;
  std::string FLoaded;
};

class TInputItem : public QDialog {
public:
  explicit TInputItem(QWidget* Parent = nullptr);
  ~TInputItem() override;

  TImagePanel& Panel() const { return *FPanel; }
  QListWidget& List() const { return *FList; }
  QLabel& FileLabel() const { return *FFileLabel; }
  const std::vector<std::string>& Paths() const { return FPaths; }
  // Shows the library of list entry Index.
  void SelectLibrary(int Index);
  void Browse();
  // The block chosen, or none.
  TTxBlock* Chosen() const { return FPanel->GetSelected(); }

private:
  QListWidget* FList = nullptr;
  QLabel* FFileLabel = nullptr;
  TImagePanel* FPanel = nullptr;
  std::vector<std::string> FPaths;
  TLibraryLoader FLoader;
};

// The custom fill page: the fill library, the chosen fill and its colours.
// (Named for its page: TBrushStyle is the brush style enumeration here.)
class TBrushStylePage : public QWidget {
public:
  explicit TBrushStylePage(QWidget* Parent = nullptr);
  ~TBrushStylePage() override;

  TImagePanel& LibraryPanel() const { return *FLibrary; }
  TImagePanel& ChosenPanel() const { return *FChosenPanel; }
  QComboBox& Libraries() const { return *FCombo; }
  void SelectLibrary(int Index);
  void Browse();
  // Puts a clone of Block into the chosen palette (null clears the choice).
  void Choose(const TCustomFigureSet* Block);
  // The chosen fill, or none.
  TTxBlock* Chosen() const;
  void SetForeground(COLORREF Color);
  void SetBackground(COLORREF Color);
  COLORREF Foreground() const { return FForeground; }
  COLORREF Background() const { return FBackground; }

  std::function<void()> FOnChoose;
  std::function<void()> FOnDblClick;

private:
  void ShowColours();

  QComboBox* FCombo = nullptr;
  QPushButton* FFore = nullptr;
  QPushButton* FBack = nullptr;
  TImagePanel* FLibrary = nullptr;
  TImagePanel* FChosenPanel = nullptr;
  std::vector<std::string> FPaths;
  TLibraryLoader FLoader;
  TImageDocument FChosen;
  COLORREF FForeground = clBlack;
  COLORREF FBackground = clWhite;
};

// "插入图块": the dialog, then the chosen block as the view's current item and
// the block tool. A hook answers the dialog in tests.
using TInputItemHook = std::function<bool(TInputItem& Dialog)>;
TInputItemHook SetInputItemHook(TInputItemHook Hook);
void InsertBlockCommand(TDef_Tx& Tx, QWidget* Parent = nullptr);
