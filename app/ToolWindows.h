#pragma once
// The main window's companions: the index window ("索引列表") and the
// navigator ("导航器") as dockable tool windows, the about box, the splash
// window and the colour buttons of the operation tool bar.

#include "docview/ArialView.h"
#include "docview/IndexView.h"

#include <QDialog>
#include <QDockWidget>
#include <QToolButton>

#include <functional>
#include <optional>

class QToolBar;

// The index window: the index view under a tool bar of layer commands.
class TfDef_Inh : public QDockWidget {
public:
  explicit TfDef_Inh(QWidget* Parent = nullptr);
  TIndexView& IndexView() const { return *FIndexView; }
  QAction* Button(int Index) const { return FButtons[Index]; }  // add, delete, up, down

  void TB_AddLayerClick();
  void TB_DeleteLayerClick();
  void TB_MoveUpClick();
  void TB_MoveDownClick();

private:
  TIndexView* FIndexView = nullptr;
  QAction* FButtons[4] = {};
};

// The navigator window around the overview.
class TArial : public QDockWidget {
public:
  explicit TArial(QWidget* Parent = nullptr);
  TArialView& ArialView() const { return *FArialView; }

private:
  TArialView* FArialView = nullptr;
};

class TAboutBox : public QDialog {
public:
  explicit TAboutBox(QWidget* Parent = nullptr);
};

// A plain start-up window with the product title; freed once the main window is up.
class TSplashWindow : public QWidget {
public:
  TSplashWindow();

protected:
  void paintEvent(QPaintEvent* Event) override;
};

// A colour button with a drop-down palette: the no-colour or automatic
// entry, sixteen colours and "其他颜色...". Before dropping down it shows
// what Current answers (nullopt: the no-colour state).
class TColorButton : public QToolButton {
public:
  TColorButton(const QString& NoColorText, const QString& Hint, QWidget* Parent = nullptr);
  std::function<std::optional<unsigned>()> Current;
  // A choice: nullopt is the no-colour entry.
  std::function<void(std::optional<unsigned>)> Chosen;
  void ShowColor(std::optional<unsigned> Color);
  std::optional<unsigned> ShownColor() const { return FShown; }

private:
  std::optional<unsigned> FShown;
};
