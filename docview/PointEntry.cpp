#include "docview/PointEntry.h"

#include "docview/DocView.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {
const char* const kPrompt = "输入点：";
const char* const kForms = "x,y  @dx,dy  @长度<角度";
}  // namespace

TPointEntryBox::TPointEntryBox(QWidget* Parent) : QWidget(Parent) {
  setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 0, 4, 0);
  layout->setSpacing(6);
  FPrompt = new QLabel(QString::fromUtf8(kPrompt), this);
  FEdit = new QLineEdit(this);
  FEdit->setFrame(false);
  FEdit->setPlaceholderText(QString::fromUtf8(kForms));
  FEdit->setMinimumWidth(FEdit->fontMetrics().horizontalAdvance(QString::fromUtf8(kForms)) + 16);
  FEdit->installEventFilter(this);
  FHint = new QLabel(this);
  QPalette hint = FHint->palette();
  hint.setColor(QPalette::WindowText, QColor(160, 0, 0));
  FHint->setPalette(hint);
  FHint->setText(QString::fromUtf8(kForms));
  layout->addWidget(FPrompt);
  layout->addWidget(FEdit);
  layout->addWidget(FHint, 1);
  hide();
}

QString TPointEntryBox::Hint() const { return FHint->text(); }

void TPointEntryBox::Begin(TDocView& View, const QString& Text) {
  FView = &View;
  FEdit->setText(Text);
  FHint->setText(QString::fromUtf8("回车放置该点"));
  FHint->setPalette(palette());
  show();
  raise();
  FEdit->setFocus(Qt::OtherFocusReason);
}

void TPointEntryBox::End() {
  FEdit->clear();
  hide();
  if (TDocView* v = FView.data()) v->setFocus(Qt::OtherFocusReason);
  FView.clear();
}

bool TPointEntryBox::Commit() {
  TDocView* v = FView.data();
  if (!v) {
    End();
    return false;
  }
  std::string hint;
  if (v->PlaceTypedPoint(FEdit->text().toStdString(), hint)) {
    End();
    return true;
  }
  QPalette p = FHint->palette();
  p.setColor(QPalette::WindowText, QColor(160, 0, 0));
  FHint->setPalette(p);
  FHint->setText(QString::fromStdString(hint));
  FEdit->selectAll();
  return false;
}

bool TPointEntryBox::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FEdit && Event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(Event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      Commit();
      return true;
    }
    if (key == Qt::Key_Escape) {
      End();
      return true;
    }
  }
  return QWidget::eventFilter(Watched, Event);
}
