#pragma once
// TThinking_box: the small progress window shown while a DXF file is written
// and while a large one is read.

#include <QProgressDialog>

#include <string>

class TThinking_box : public QProgressDialog {
public:
  explicit TThinking_box(QWidget* Parent = nullptr);
  // Shows the window with Caption and an empty bar.
  void thinking(const std::string& Caption);
  // Fraction done, 0 to 1; keeps the window painted.
  void thinking_bar(double Fraction);
  void stopped_thinking();
};

// Files above this size are read with the progress window.
inline constexpr long long ThinkingReadBytes = 4 * 1024 * 1024;
