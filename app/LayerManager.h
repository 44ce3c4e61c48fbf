#pragma once
// TLayerManager ("图层管理器"): creates, deletes, renames, reorders, shows,
// hides, locks and unlocks layers and picks the current one, on a private
// copy of the drawing root's layer list. The drawing takes the edited list
// only on OK (LayerManagerCommand hands it to RefreshLayers).

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class TDrawView;

// One entry of the edited list: "name=flag", and the index of the drawing's
// layer it stands for (-1 for a new layer).
struct TLayerManagerEntry {
  std::string Entry;
  int Origin = -1;
  int Figures = 0;  // how many figures the layer holds
};

// The name "新建" gives: "图层" and the smallest positive n no entry uses.
std::string NewLayerManagerName(const std::vector<TLayerManagerEntry>& Entries);
// Why Name cannot name entry Index ("" when it can): empty, holding "=",
// or the name of another entry (letters compared without case).
std::string LayerNameProblem(const std::vector<TLayerManagerEntry>& Entries, int Index, const std::string& Name);

class TLayerManager : public QDialog {
public:
  // HasHistory: the drawing has undo steps, which deleting a layer with
  // figures drops; the confirmation says so.
  TLayerManager(std::vector<TLayerManagerEntry> Layers, bool HasHistory, QWidget* Parent = nullptr);
  ~TLayerManager() override;

  const std::vector<TLayerManagerEntry>& Layers() const { return FLayers; }
  // The rows shown (deleted entries have none); Row i stands for entry RowEntry(i).
  int RowCount() const;
  int RowEntry(int Row) const;
  std::string RowText(int Row, int Column) const;
  std::string CurrentLayerLabel() const;

  // What the controls do, so tests and the buttons go one way.
  void SelectRows(const std::vector<int>& Rows);
  void CurrentClick();
  void NewClick();
  void DeleteClick();
  void MoveClick(int Step);
  // Typing in the name field, then leaving it.
  void RenameTo(const std::string& Name);
  void SetShow(bool On);
  void SetEdit(bool On);

  QTreeWidget& ListView() const { return *FList; }
  QLineEdit& NameEdit() const { return *FName; }
  QCheckBox& ShowBox() const { return *FShow; }
  QCheckBox& EditBox() const { return *FEdit; }
  QGroupBox& Details() const { return *FDetails; }

private:
  void Fill();
  void ShowRow(int Row);
  void ShowDetails();
  int SelectedRow() const;
  int Flag(int Entry) const;
  void SetFlag(int Entry, int Flag);

  std::vector<TLayerManagerEntry> FLayers;
  bool FHasHistory;
  bool FUpdating = false;  // the dialog itself changes its controls
  QTreeWidget* FList = nullptr;
  QLabel* FCurrent = nullptr;
  QGroupBox* FDetails = nullptr;
  QLineEdit* FName = nullptr;
  QCheckBox* FShow = nullptr;
  QCheckBox* FEdit = nullptr;
};

// The layer manager on the view's drawing; on OK the drawing takes the list
// (RefreshLayers), the view repaints and the document is marked modified.
// True on OK. A hook answers the dialog in tests.
using TLayerManagerHook = std::function<bool(TLayerManager& Dialog)>;
TLayerManagerHook SetLayerManagerHook(TLayerManagerHook Hook);
bool LayerManagerCommand(TDrawView& View, QWidget* Parent = nullptr);
