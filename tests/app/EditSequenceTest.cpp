// Random editing sessions on real drawings through the main window's
// commands and real mouse events: every step that changes the drawing can be
// undone to the bytes it had before and redone to the bytes after, whatever
// the undo limit, and nothing is touched once freed (run under ASan). The
// steps include combining closed figures and breaking them apart, moving a
// figure to another layer as its property dialog does, and the layer
// manager's edits, which the history does not record: after one of those
// only the steps that follow are held to their bytes.
// PLANDECK_EDIT_SEQUENCES=n runs n sessions instead of the 200 of CI; a
// failure names the seed that replays it (PLANDECK_EDIT_SEED=s).

#include "app/BlockDialogs.h"
#include "app/Commands.h"
#include "app/Def_Tx.h"
#include "app/LayerManager.h"
#include "app/MainForm.h"
#include "app/PropertyForm.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/ComboFigure.h"
#include "foundation/ComponentImage.h"
#include "platform/System.h"
#include "tools/ToolList.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;
using TState = std::optional<Bytes>;

int EnvNumber(const char* Name, int Default) {
  const char* v = std::getenv(Name);
  return v && *v ? std::atoi(v) : Default;
}

void Expect(const TState& Known, const Bytes& Now, const std::string& Message) {
  if (Known) {
    EXPECT_TRUE(*Known == Now) << Message;
  }
}

// What the undo list holds after each step, as the bytes of the drawing
// with that many entries; unknown inside a step that recorded several.
class TUndoModel {
public:
  void Start(const TTxFigureSet& Root, Bytes Now) {
    FItems = Items(Root);
    FKnown.assign(FItems.size() + 1, std::nullopt);
    FKnown.back() = std::move(Now);
    FRedo.clear();
  }
  // After an edit: entries dropped at the old end, entries added at the new.
  void Edited(const TTxFigureSet& Root, const Bytes& Now, const std::string& What) {
    const auto items = Items(Root);
    if (items == FItems) {
      Expect(FKnown.back(), Now, What + " changed the drawing without an undo step");
      FKnown.back() = Now;
      if (Root.RedoCount() == 0) FRedo.clear();
      return;
    }
    std::size_t dropped = FItems.size();
    if (!items.empty())
      for (std::size_t j = 0; j < FItems.size(); ++j)
        if (FItems[j] == items[0]) dropped = j;
    if (!FItems.empty() && dropped == FItems.size()) {
      FKnown.assign(items.size() + 1, std::nullopt);  // the whole old list went
    } else {
      FKnown.erase(FKnown.begin(), FKnown.begin() + static_cast<std::ptrdiff_t>(dropped));
      FKnown.resize(items.size() + 1);
    }
    FKnown.back() = Now;
    FItems = items;
    FRedo.clear();
    ++FSteps;
  }
  void Undone(const TTxFigureSet& Root, const Bytes& Now, const std::string& What) {
    const auto items = Items(Root);
    if (items.size() + 1 == FItems.size()) {
      FRedo.push_back(FKnown.back());
      FKnown.pop_back();
      Expect(FKnown.back(), Now, What + " did not give back the bytes before the step");
      FKnown.back() = Now;
    } else {
      EXPECT_EQ(items.size(), FItems.size()) << What;
      Expect(FKnown.back(), Now, What + " with nothing to undo changed the drawing");
    }
    FItems = items;
  }
  void Redone(const TTxFigureSet& Root, const Bytes& Now, const std::string& What) {
    const auto items = Items(Root);
    if (items.size() == FItems.size() + 1 && !FRedo.empty()) {
      Expect(FRedo.back(), Now, What + " did not give back the bytes after the step");
      FRedo.pop_back();
      FKnown.push_back(Now);
    } else {
      Expect(FKnown.back(), Now, What + " with nothing to redo changed the drawing");
    }
    FItems = items;
  }
  // After an edit the history does not record (the layer manager's): the
  // bytes of earlier states are no longer known.
  void Unrecorded(const TTxFigureSet& Root, Bytes Now) {
    const auto items = Items(Root);
    if (items.empty()) FRedo.clear();
    std::fill(FRedo.begin(), FRedo.end(), std::nullopt);
    FKnown.assign(items.size() + 1, std::nullopt);
    FKnown.back() = std::move(Now);
    FItems = items;
  }
  std::size_t Depth() const { return FItems.size(); }
  std::size_t RedoDepth() const { return FRedo.size(); }
  int Steps() const { return FSteps; }  // edits that recorded undo entries

private:
  static std::vector<const TUndoRedoItem*> Items(const TTxFigureSet& Root) {
    std::vector<const TUndoRedoItem*> out;
    for (int i = 0; i < Root.UndoCount(); ++i) out.push_back(Root.UndoItem(i));
    return out;
  }
  std::vector<const TUndoRedoItem*> FItems;
  std::vector<TState> FKnown;
  std::vector<TState> FRedo;
  int FSteps = 0;
};

class EditSequence : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(FTmp.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FTmp.path());
    FOldDirSys = Dir_Sys;
    Dir_Sys = FTmp.path().toStdString() + "/";
    RegisterDocumentClasses();
    RegisterEnvironmentClasses();
    RegisterTools();
    FAnswers = std::make_unique<TScopedMessageAnswer>(mrOk);
    FForm = std::make_unique<TMainForm>();
    FForm->resize(1000, 700);
    FForm->show();
    QApplication::processEvents();
    SysEnvironment->FShowNewDialog = false;
    SysEnvironment->FDeleteConfirm = false;
  }
  void TearDown() override {
    {
      TScopedMessageAnswer discard(mrNo);
      FForm.reset();
    }
    FAnswers.reset();
    Dir_Sys = FOldDirSys;
  }

  void Open(const std::string& Path) {
    const std::string copy = (FTmp.path() + "/drawing.gck").toStdString();
    std::filesystem::copy_file(Path, copy, std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(FForm->OpenFile(copy));
    FTx = FForm->ActiveDrawing();
    ASSERT_TRUE(FTx);
  }
  TDrawView& View() { return FTx->DrawView(); }
  TTxFigureSet& Root() { return *FTx->Document()->FFigures; }
  Bytes Now() { return WriteResourceImage(FTx->ProjectFile()); }

  void Trigger(const char* Name) {
    FForm->IdleUpdate();
    if (QAction* a = FForm->Action(Name)) a->trigger();
  }
  void Mouse(QEvent::Type Type, TPoint P, Qt::MouseButton Button, Qt::MouseButtons Held) {
    const QPointF at(P.x, P.y);
    QMouseEvent e(Type, at, View().viewport()->mapToGlobal(at), Button, Held, Qt::NoModifier);
    QApplication::sendEvent(View().viewport(), &e);
  }
  void Drag(TPoint From, TPoint To) {
    Mouse(QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, {(From.x + To.x) / 2, (From.y + To.y) / 2}, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton);
  }
  void Click(TPoint P) {
    Mouse(QEvent::MouseButtonPress, P, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, P, Qt::LeftButton, Qt::NoButton);
  }

  std::vector<TCustomFigure*> Figures() {
    std::vector<TCustomFigure*> out;
    for (const TLayer& layer : Root().FLayers)
      for (int i = 0; i < layer.List->Count(); ++i) out.push_back(layer.List->Figures(i));
    return out;
  }

  bool LastVerbIs(TOperationVerb Verb) {
    return Root().UndoCount() > 0 && Root().UndoItem(Root().UndoCount() - 1)->FOperationVerb == Verb;
  }

  // One session of Steps random edits, then everything undone and redone.
  // Gives the number of edits that recorded undo entries.
  int Session(std::uint32_t Seed, int Steps);

  QTemporaryDir FTmp;
  std::string FOldDirSys;
  std::unique_ptr<TScopedMessageAnswer> FAnswers;
  std::unique_ptr<TMainForm> FForm;
  TDef_Tx* FTx = nullptr;
  int FCombined = 0, FBrokenApart = 0;
};

int EditSequence::Session(std::uint32_t Seed, int Steps) {
  std::mt19937 rng(Seed);
  auto pick = [&](int N) { return static_cast<int>(rng() % static_cast<unsigned>(N)); };
  auto pixel = [&] {
    const QSize s = View().viewport()->size();
    return TPoint{10 + pick(s.width() - 20), 10 + pick(s.height() - 20)};
  };
  SysEnvironment->FUndoCount = pick(2) ? 3 : 200;
  TUndoModel model;
  model.Start(Root(), Now());

  for (int step = 0; step < Steps; ++step) {
    const int op = pick(20);
    const std::string what = "seed " + std::to_string(Seed) + " step " + std::to_string(step) + " op " +
                             std::to_string(op);
    auto figures = Figures();
    TCustomFigure* some = figures.empty() ? nullptr : figures[static_cast<std::size_t>(pick(int(figures.size())))];
    switch (op) {
      case 0: case 1:  // choose one, or one more
        if (some) View().Select(some, op == 1);
        break;
      case 2: Trigger("mi_EditSelectAll"); break;
      case 3: Trigger("A_Delete"); break;
      case 4: {
        static const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
        View().KeyDown(keys[pick(4)], 0);
        break;
      }
      case 5: case 6: {  // a handle dragged, sizing or turning
        if (!some || some->GetHandleCount() == 0) break;
        Trigger(op == 5 ? "A_Move" : "A_Rotate");
        View().Select(some, false);
        TPoint h;
        some->GetHandle(1 + pick(some->GetHandleCount()), h);
        View().PointDocToClient(h);
        Drag(h, {h.x + pick(61) - 30, h.y + pick(61) - 30});
        Trigger("A_Move");
        break;
      }
      case 7:  // mirrored across an axis of two clicks
        Trigger("TB_Mirror");
        Click(pixel());
        Click(pixel());
        break;
      case 8: Trigger("A_Copy"), Trigger("A_Paste"); break;
      case 9: Trigger("A_Cut"); break;
      case 10: View().PasteToLayer(pick(Root().LayerCount())); break;
      case 11: MakeBlockFromSelection(View(), pick(2) ? 1.0 : 2.5, pick(2) == 0); break;
      case 12: Trigger("A_Explode"); break;
      case 13: PenColorCommand(View(), rng() & 0xFFFFFF), FillColorCommand(View(), rng() & 0xFFFFFF); break;
      case 16: {  // two or three closed figures combined
        std::vector<TCustomFigure*> closed;
        for (TCustomFigure* f : figures)
          if (CanCombine(*f)) closed.push_back(f);
        if (closed.size() < 2) break;
        std::shuffle(closed.begin(), closed.end(), rng);
        const std::size_t n = std::min<std::size_t>(closed.size(), 2 + pick(2));
        for (std::size_t i = 0; i < n; ++i) View().Select(closed[i], i > 0);
        static const char* const kModes[] = {"TB_Union", "TB_Subtract", "TB_Intersect"};
        Trigger(kModes[pick(3)]);
        FCombined += LastVerbIs(ovCombo);
        break;
      }
      case 17: {  // a combined figure broken apart
        std::vector<TCustomFigure*> combos;
        for (TCustomFigure* f : figures)
          if (dynamic_cast<TComboFigure*>(f)) combos.push_back(f);
        if (combos.empty()) break;
        View().Select(combos[static_cast<std::size_t>(pick(int(combos.size())))], false);
        Trigger("A_Explode");
        FBrokenApart += LastVerbIs(ovExplode);
        break;
      }
      case 18: {  // moved to another layer, as the property dialogs' layer chooser does
        if (!some) break;
        const int from = Root().GetFigureLayerIndex(some), to = pick(Root().LayerCount());
        ApplyFigureEdit(View(), *some, [&] { Root().ExchangeFigureLayer(some, from, to); });
        break;
      }
      case 19: {  // the layer manager: add, delete, rename, hide, reorder or make current
        const int kind = pick(6);
        const int row = pick(Root().LayerCount());
        const std::string name = "层" + std::to_string(pick(4));
        TLayerManagerHook old = SetLayerManagerHook([&](TLayerManager& d) {
          d.SelectRows({row});
          switch (kind) {
            case 0: d.NewClick(); break;
            case 1: d.DeleteClick(); break;
            case 2: d.RenameTo(name); break;
            case 3: d.SetShow(false); break;
            case 4: d.MoveClick(pick(2) ? 1 : -1); break;
            case 5: d.CurrentClick(); break;
          }
          return true;
        });
        LayerManagerCommand(View());
        SetLayerManagerHook(std::move(old));
        model.Unrecorded(Root(), Now());
        continue;
      }
      case 14: {
        Trigger("A_Undo");
        model.Undone(Root(), Now(), what);
        continue;
      }
      case 15: {
        Trigger("A_Redo");
        model.Redone(Root(), Now(), what);
        continue;
      }
    }
    model.Edited(Root(), Now(), what);
    if (HasFailure()) return model.Steps();
  }
  while (model.Depth() > 0 && !HasFailure()) {
    Trigger("A_Undo");
    model.Undone(Root(), Now(), "seed " + std::to_string(Seed) + " undoing all");
  }
  while (model.RedoDepth() > 0 && !HasFailure()) {
    Trigger("A_Redo");
    model.Redone(Root(), Now(), "seed " + std::to_string(Seed) + " redoing all");
  }
  return model.Steps();
}

TEST_F(EditSequence, UndoAndRedoGiveBackTheBytesOfEveryStepOfTheSample) {
#ifdef __SANITIZE_ADDRESS__
  constexpr int kSessions = 60;  // eight times slower under the sanitizers
#else
  constexpr int kSessions = 200;
#endif
  const int sessions = EnvNumber("PLANDECK_EDIT_SEQUENCES", kSessions);
  const int first = EnvNumber("PLANDECK_EDIT_SEED", 1);
  int edits = 0;
  for (int s = 0; s < sessions && !HasFailure(); ++s) {
    Open(PLANDECK_SAMPLES "/site.gck");
    edits += Session(static_cast<std::uint32_t>(first + s), 30);
    {
      TScopedMessageAnswer discard(mrNo);
      Trigger("A_Close");
    }
  }
  EXPECT_GT(edits, sessions * 8) << "the sessions hardly edited";
  if (sessions >= 20) {
    EXPECT_GT(FCombined, 0) << "no figures were combined";
    EXPECT_GT(FBrokenApart, 0) << "no combined figure was broken apart";
  }
  std::printf("%d sessions, %d undoable edits, %d combined, %d broken apart\n", sessions, edits, FCombined,
              FBrokenApart);
}

}  // namespace
