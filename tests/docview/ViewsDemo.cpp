// A drawing view, the index tree and the overview side by side over one
// document with two layers, for a look under Xvfb: a node clicked in the
// tree selects its figures, a click in the overview scrolls the drawing
// view. Quits after the given number of seconds (default 6).

#include "DocViewTestSupport.h"

#include "docview/ArialView.h"
#include "docview/IndexView.h"
#include "platform/System.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>

namespace {

class TDemoMark : public TTestBox {
public:
  TDemoMark() { FClassNameDescription = "标记"; }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InitScreenLogPixels();
  RegisterFigureClasses();
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 6;

  TTestDrawingDoc doc(420, 297);
  doc.FFigures->FShowFrame = true;
  doc.AddBox({20, 20}, {120, 90}, RGB(255, 0, 0));
  doc.AddBox({150, 40}, {260, 200}, RGB(0, 0, 255));
  auto mark = std::make_unique<TDemoMark>();
  mark->FQd = {300, 40};
  mark->FZd = {330, 70};
  doc.Add(std::move(mark), TPoint{0, 0}, nullptr);
  std::string name;
  doc.FFigures->AddLayer(name);
  doc.FFigures->SetCurLayer(1);
  doc.AddBox({280, 150}, {400, 280}, RGB(0, 128, 0));
  doc.AddBox({60, 180}, {130, 260}, RGB(128, 0, 128));
  doc.FFigures->AddLayer(name);
  doc.FFigures->SetLayerVisible(2, false);

  QWidget window;
  window.setWindowTitle("Plandeck views");
  auto* row = new QHBoxLayout(&window);
  TTestView draw;
  draw.FColor = RGB(192, 192, 192);
  TIndexView index;
  TArialView arial;
  arial.FColor = RGB(192, 192, 192);
  auto* side = new QVBoxLayout;
  side->addWidget(&index, 3);
  side->addWidget(&arial, 2);
  row->addWidget(&draw, 3);
  row->addLayout(side, 1);
  window.resize(1000, 560);
  window.show();
  draw.SetDocument(&doc);
  index.SetDocument(&doc);
  arial.SetDocument(&doc);
  doc.FFigures->SetScale(1.8);

  QTimer::singleShot(400, [&] {
    // The navigator: a click right of the middle scrolls the drawing view there.
    arial.MouseDown(mbLeft, 0, {arial.ClientWidth() * 2 / 3, arial.ClientHeight() / 2});
    index.TreeView().expandAll();
    // The tree: a click on the boxes of the second layer selects them.
    TNodeListTreeView& tree = index.TreeView();
    TCustomNodeItem* kind = tree.KindNode(tree.LayerNode(1), "方框", false);
    tree.SetCurrentNode(kind);
    tree.MyClick(kind);
    arial.MouseMove(0, {arial.ClientWidth() / 3, arial.ClientHeight() / 2});
    std::printf("scale %.2f, scroll %d,%d, selected %d, layers %d, overview rect %d,%d-%d,%d\n",
                doc.FFigures->GetScale(), draw.HorzPosition(), draw.VertPosition(), draw.Selection().Count(),
                index.TreeView().Model().rowCount(), arial.ViewRect().Left, arial.ViewRect().Top,
                arial.ViewRect().Right, arial.ViewRect().Bottom);
    std::fflush(stdout);
  });
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  return app.exec();
}
