#include "docview/InPlaceEditor.h"

#include "docview/DocView.h"
#include "figures/Texts.h"

#include <QEvent>
#include <QFont>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPointer>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

class TQtInPlaceEditor final : public QObject, public TInPlaceEditor {
public:
  TQtInPlaceEditor(TDocView& View, bool MultiLine) : FView(View) {
    if (MultiLine) {
      auto* e = new QPlainTextEdit;
      e->setFrameShape(QFrame::NoFrame);
      e->setLineWrapMode(QPlainTextEdit::NoWrap);
      // The box is the figure's: no scroll bars or margins eating into it.
      e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      e->document()->setDocumentMargin(1);
      FEdit = e;
    } else {
      auto* e = new QLineEdit;
      e->setFrame(false);
      FEdit = e;
    }
    FEdit->setObjectName(MultiLine ? "InPlaceMemo" : "InPlaceEdit");
    FEdit->hide();
    FView.viewport()->installEventFilter(this);
  }
  ~TQtInPlaceEditor() override {
    if (FViewport) FViewport->removeEventFilter(this);
    delete FEdit.data();
  }

  void Follow(std::function<TRect()> LogicalRect) override {
    FLogical = std::move(LogicalRect);
    Reposition();
  }
  void SetFont(const std::string& Name, std::uint8_t Style, int PixelHeight, COLORREF Color) override {
    QFont f(QString::fromStdString(Name));
    f.setPixelSize(std::max(1, PixelHeight));
    f.setBold(Style & fsBold);
    f.setItalic(Style & fsItalic);
    f.setUnderline(Style & fsUnderline);
    f.setStrikeOut(Style & fsStrikeOut);
    if (FEdit->font() != f) FEdit->setFont(f);
    QPalette p = FEdit->palette();
    p.setColor(QPalette::Text, QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF)));
    FEdit->setPalette(p);
  }
  void SetBackground(bool Filled, COLORREF Color) override {
    QPalette p = FEdit->palette();
    if (Filled) p.setColor(QPalette::Base, QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF)));
    else p.setColor(QPalette::Base, QPalette().color(QPalette::Base));
    FEdit->setPalette(p);
  }
  void SetText(const std::string& Utf8) override {
    const QString t = QString::fromStdString(Utf8);
    if (auto* m = qobject_cast<QPlainTextEdit*>(FEdit)) m->setPlainText(t);
    else static_cast<QLineEdit*>(FEdit.data())->setText(t);
  }
  std::string Text() const override {
    if (auto* m = qobject_cast<QPlainTextEdit*>(FEdit)) return m->toPlainText().toStdString();
    return static_cast<QLineEdit*>(FEdit.data())->text().toStdString();
  }
  void Show(bool Focus) override {
    if (!FEdit) return;
    if (FEdit->parentWidget() != FView.viewport()) FEdit->setParent(FView.viewport());
    Reposition();
    FEdit->show();
    FShown = true;
    if (Focus && (FView.hasFocus() || FView.viewport()->hasFocus())) FEdit->setFocus();
    if (auto* m = qobject_cast<QPlainTextEdit*>(FEdit)) m->selectAll();
    else static_cast<QLineEdit*>(FEdit.data())->selectAll();
  }
  void Hide() override {
    FShown = false;
    if (!FEdit) return;
    const bool hadFocus = FEdit->hasFocus();
    FEdit->hide();
    FEdit->setParent(nullptr);
    if (hadFocus) FView.setFocus();
  }
  bool Visible() const override { return FShown && FEdit; }
  TFigureView* View() const override { return &FView; }

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    // Scrolling moves the logical origin: the same logical box lands elsewhere.
    if (Watched == FViewport && Event->type() == QEvent::Paint && FShown) Reposition();
    return false;
  }

public:
  void Reposition() override {
    if (!FEdit || !FLogical) return;
    const TRect l = FLogical();
    TPoint a{l.Left, l.Top}, b{l.Right, l.Bottom};
    FView.PointDocToClient(a);
    FView.PointDocToClient(b);
    const QRect r = QRect(QPoint(std::min(a.x, b.x), std::min(a.y, b.y)), QPoint(std::max(a.x, b.x), std::max(a.y, b.y)));
    if (FEdit->geometry() != r) FEdit->setGeometry(r);
  }

private:
  TDocView& FView;
  QPointer<QWidget> FViewport{FView.viewport()};
  QPointer<QWidget> FEdit;
  std::function<TRect()> FLogical;
  bool FShown = false;
};

}  // namespace

void InstallInPlaceEditors() {
  static const bool installed = [] {
    SetInPlaceEditorFactory([](TFigureView& View, bool MultiLine) -> std::unique_ptr<TInPlaceEditor> {
      auto* view = dynamic_cast<TDocView*>(&View);
      if (!view) return nullptr;
      return std::make_unique<TQtInPlaceEditor>(*view, MultiLine);
    });
    return true;
  }();
  (void)installed;
}
