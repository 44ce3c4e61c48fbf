#pragma once
// TPointEntryBox: the small entry for typed points. Typing a number while a
// drawing tool waits for a point opens it with that first character; Enter
// hands the text to the view, which places the point or refuses it with a
// hint shown beside the entry; Esc closes it. The main window keeps one in
// its status bar; the placing itself is the view's (TDocView::PlaceTypedPoint).

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class TDocView;

class TPointEntryBox : public QWidget {
public:
  explicit TPointEntryBox(QWidget* Parent = nullptr);

  // Opens for View with Text typed so far, the keyboard in the entry.
  void Begin(TDocView& View, const QString& Text);
  // Closes it, the text dropped; the keyboard goes back to the view.
  void End();
  bool Active() const { return FView != nullptr && isVisible(); }
  TDocView* View() const { return FView.data(); }

  QLineEdit& Edit() const { return *FEdit; }
  QString Hint() const;
  // What Enter does: the point placed and the entry closed, or the hint shown.
  bool Commit();

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  QPointer<TDocView> FView;
  QLabel* FPrompt = nullptr;
  QLineEdit* FEdit = nullptr;
  QLabel* FHint = nullptr;
};
