#include "app/ThinkingBox.h"

#include <QApplication>

#include <algorithm>

TThinking_box::TThinking_box(QWidget* Parent) : QProgressDialog(Parent) {
  setWindowModality(Qt::WindowModal);
  setCancelButton(nullptr);
  setRange(0, 100);
  setMinimumDuration(0);
  setAutoClose(false);
  setAutoReset(false);
}

void TThinking_box::thinking(const std::string& Caption) {
  setLabelText(QString::fromStdString(Caption));
  setValue(0);
  show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TThinking_box::thinking_bar(double Fraction) {
  const int v = std::clamp(int(Fraction * 100), 0, 100);
  if (v == value()) return;
  setValue(v);
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TThinking_box::stopped_thinking() { hide(); }
