#pragma once
// The main window's command set as data: every action (A_...), every menu
// item with its own handler (mi_...) and every tool-bar button with its own
// handler (TB_...), with caption, hint, shortcut and what it does; the menu
// structure and the four tool bars. TMainForm builds its menus, tool bars
// and QActions from these tables and nothing else.

#include "docview/DocView.h"

#include <QIcon>

#include <string_view>
#include <vector>

class TMainForm;

enum class TActionEffect : std::uint8_t {
  Tool,       // the active drawing window's SetTool with the class of the action's figure family
  Operation,  // the active view's SetOperation(Operation)
  Command     // a handler of the main window
};

using TMainFormCommand = void (TMainForm::*)();

struct TActionDef {
  const char* Name;
  const char* Caption;
  const char* Hint;
  const char* Shortcut;  // portable key text ("Ctrl+N", "Del", "F9"); empty for none
  TActionEffect Effect;
  TOperationMode Operation = omNormal;
  TMainFormCommand Command = nullptr;
  // The figures or the subsystem the command needs are not part of the
  // program yet: shown, always disabled.
  bool Missing = false;
};

// A_..., in the order of the action list.
const std::vector<TActionDef>& ActionTable();
// mi_... and HelpAboutItem: menu items carrying their own handler.
const std::vector<TActionDef>& MenuItemTable();
// TB_...: tool-bar buttons carrying their own handler.
const std::vector<TActionDef>& ToolButtonTable();
// Any of the three tables; null when Name is none of them.
const TActionDef* FindActionDef(std::string_view Name);

// One entry of a menu: an action or item name, "-" for a separator, or a
// submenu (Caption and Items). Two names stand for places the window fills:
// "MRU" (the recent-file submenu "重新打开") and "WindowList".
struct TMenuNode {
  const char* Name;
  const char* Caption = nullptr;
  std::vector<TMenuNode> Items = {};
};
// The top-level menus in order, each a submenu node.
const std::vector<TMenuNode>& MainMenuLayout();

// A tool bar: names of actions or buttons, "|" for a separator.
struct TToolBarDef {
  const char* Name;
  const char* Caption;
  Qt::ToolBarArea Area;
  std::vector<const char*> Items;
};
const std::vector<TToolBarDef>& ToolBarLayout();
// A hint a tool bar shows instead of the action's own (A_Item: "插入图块").
const char* ToolBarHint(std::string_view Name);

// A small picture drawn for the command; null icon when text fits better.
// Its disabled form is GreyedIcon of it.
QIcon ActionIcon(std::string_view Name);
// A disabled button's picture: the ink light grey and faint, unmistakably off.
QPixmap GreyedIcon(const QPixmap& Picture);
